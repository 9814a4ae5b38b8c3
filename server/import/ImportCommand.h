// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace server::import {

// `artcal-server import [--library DIR] [--sources FILE] [--once NAME]`: imports what is
// new from each enabled source (or from the one named, enabled or not) and returns the
// exit status: 0 when a source worked, or when another import holds the library's lock.
int runCommand(const QStringList& arguments, const QString& defaultLibrary);

} // namespace server::import
