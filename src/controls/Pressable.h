// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

#include <functional>

class QWidget;

// A control that acts on a click, made a button for the keyboard and for assistive
// technology: Tab reaches it, Space or Enter presses it, a screen reader's first action
// (press) does what a click does, and a focus mark shows round it while the keyboard put
// the focus there. A mouse press anywhere on the window takes the mark away, so the window
// looks as it does untouched until the keyboard is used.
namespace Pressable {

void make(QWidget* control, std::function<void()> press);

// How the mark looks: an outer and an inner line, one pixel each, round the control.
void setMarkColours(QWidget* window, const QColor& outer, const QColor& inner);

} // namespace Pressable
