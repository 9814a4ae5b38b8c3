// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGuiApplication>

namespace platform {

// Whether the widget talks to a Wayland compositor itself rather than through XWayland.
// There a client learns neither where its window is nor where the pointer is outside it,
// the compositor alone places windows, and no window may ask to stay above the others.
inline bool nativeWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace platform
