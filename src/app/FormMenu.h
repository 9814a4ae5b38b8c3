// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class Form1;

// The widget's context menu: the commands of its painted buttons and keys, and the
// ones that have no button (keep above, start at login, the history, about).
namespace FormMenu {

void popup(Form1& form, QPoint globalPos);

} // namespace FormMenu
