// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The widget's logging categories, one per area, all defined in Logging.cpp.
Q_DECLARE_LOGGING_CATEGORY(lcHttp)    // "artcal.http": transfers that failed
Q_DECLARE_LOGGING_CATEGORY(lcBrowser) // "artcal.browser": pages handed to the browser
Q_DECLARE_LOGGING_CATEGORY(lcState)   // "artcal.state": the state folder and its files
Q_DECLARE_LOGGING_CATEGORY(lcPicture) // "artcal.picture": the refresh cycle and installs
Q_DECLARE_LOGGING_CATEGORY(lcGallery) // "artcal.gallery": My Gallery
Q_DECLARE_LOGGING_CATEGORY(lcSkin)    // "artcal.skin": replacement skin bitmaps
Q_DECLARE_LOGGING_CATEGORY(lcClock)   // "artcal.clock": how jumps of the wall clock are seen
