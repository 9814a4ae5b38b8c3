// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QComboBox;

// A drop-down list heard by what it sets, with the chosen entry as its value. Qt's own
// interface for a combo box names it by the chosen entry on Linux and ignores the
// accessible name, so a screen reader heard "15 Minutes" instead of the setting.
namespace NamedList {

void name(QComboBox* list, const QString& name);

} // namespace NamedList
