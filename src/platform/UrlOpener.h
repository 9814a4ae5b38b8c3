// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

#include <functional>

namespace platform {

// Opens a web page in the user's browser. Only http and https addresses are opened;
// anything else is refused and logged. Returns whether the page was handed on.
bool openUrl(const QUrl& url);

// Opens a local folder in the user's file manager, through the same launcher.
bool openFolder(const QString& path);

// Replaces the browser launch (tests record the address instead); an empty function
// restores the real launch.
void setUrlOpener(std::function<bool(const QUrl&)> opener);

} // namespace platform
