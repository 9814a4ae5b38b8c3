// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>

namespace platform {

// Where the pointer is, in screen pixels (device-independent).
inline QPoint cursorPos()
{
    return QCursor::pos();
}

} // namespace platform
