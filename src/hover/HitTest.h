// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>

namespace HitTest {

// Whether the pointer, in screen pixels, lies over a control of a window whose client
// area starts at `windowOrigin`. Both edges count as inside, so a control of W × H
// pixels answers for (W + 1) × (H + 1).
inline bool CursorOverControl(QPoint cursor, QPoint windowOrigin, const QRect& control)
{
    const int left = windowOrigin.x() + control.x();
    const int top = windowOrigin.y() + control.y();
    return left <= cursor.x() && cursor.x() <= left + control.width() && top <= cursor.y() &&
           cursor.y() <= top + control.height();
}

} // namespace HitTest
