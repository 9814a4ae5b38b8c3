// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace platform {

// Moves `window` with the pointer after a press at `pressedAt` (global coordinates),
// until no mouse button is held; `ended` runs once the move is over. On Wayland the
// compositor moves it, whatever the button. On X11 a drag with the left button alone is
// handed to the window manager where there is one; every other move the window makes
// itself, and ends where the button is released.
void DragForm(QWidget* window, QPoint pressedAt, std::function<void()> ended = {});

} // namespace platform
