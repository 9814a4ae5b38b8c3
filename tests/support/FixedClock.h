// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Clock.h"

// A clock that stands still until the test moves it.
class FixedClock : public platform::Clock
{
public:
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
    qint64 monotonic = 0;
    QDateTime now() const override { return time; }
    qint64 monotonicMs() const override { return monotonic; }
};
