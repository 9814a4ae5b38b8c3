// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImportSource.h"

#include <QList>

// sources.conf: an INI file, one section per source named by the section, its keys
// "kind", "category", "base", "query", "per-run", "keep" and "enabled". Our own reader,
// as values may hold commas and a mistake must name its line.
namespace server::import::SourcesConf {

struct Result
{
    QList<Source> sources; // every section, enabled or not, in the file's order
    QString problem;       // "line N: ..." when the file is not usable
};

Result parse(const QByteArray& text);

// The user's file when there is one, else the installed default.
QString path();

} // namespace server::import::SourcesConf
