// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wallpaper/Desktop.h"

#include <memory>

namespace wallpaper {

// The way to set the wallpaper in this session: by the first element of
// XDG_CURRENT_DESKTOP (a colon-separated list, "ubuntu:GNOME") that names a desktop
// known here, else on X11 by feh or nitrogen when installed. None, and `why` says so
// in plain words, when there is no way.
std::unique_ptr<Desktop> chooseDesktop(const QString& currentDesktop, bool x11, QObject* context,
                                       std::chrono::milliseconds limit, QString* why);

} // namespace wallpaper
