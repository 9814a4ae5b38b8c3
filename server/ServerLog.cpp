// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerLog.h"

Q_LOGGING_CATEGORY(lcServer, "artcal.server", QtInfoMsg)
