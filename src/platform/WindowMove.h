// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class QWidget;

namespace platform {

// Moves `window` with the pointer after a press at `pressedAt` (global coordinates),
// until no mouse button is held. A drag with the left button alone is handed to the
// window system's own move where that is offered (X11 with a window manager, Wayland);
// every other move the window makes itself.
void DragForm(QWidget* window, QPoint pressedAt);

} // namespace platform
