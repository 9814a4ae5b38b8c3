// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The server's one logging category; debug lines (one per request) are off by default.
Q_DECLARE_LOGGING_CATEGORY(lcServer)
