// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class QWindow;

namespace platform::x11 {

// Hands a left drag of `window` to the X11 window manager's own move (_NET_WM_MOVERESIZE),
// as if it had begun at `grabbed` (window coordinates, device-independent pixels): the
// motion already made counts, so the pointer stays where it grabbed the window. False,
// and nothing done, on another platform, without a window manager that offers the move,
// or once the left button is up (a quick press-move-release, whose release is then on
// its way to the window).
bool startMove(QWindow* window, QPoint grabbed);

} // namespace platform::x11
