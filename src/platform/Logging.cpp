// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcHttp, "artcal.http")
Q_LOGGING_CATEGORY(lcBrowser, "artcal.browser")
Q_LOGGING_CATEGORY(lcState, "artcal.state")
Q_LOGGING_CATEGORY(lcPicture, "artcal.picture")
Q_LOGGING_CATEGORY(lcGallery, "artcal.gallery")
Q_LOGGING_CATEGORY(lcSkin, "artcal.skin")
Q_LOGGING_CATEGORY(lcClock, "artcal.clock")
