#pragma once

#include <QPoint>

class QWidget;

namespace platform {

// Starts moving `window` with the pointer after a press at `pressedAt` (global
// coordinates). The window system's own move is used where it is offered (X11 with a
// window manager, Wayland); elsewhere the window follows the pointer itself until
// the button is released.
void DragForm(QWidget* window, QPoint pressedAt);

} // namespace platform
