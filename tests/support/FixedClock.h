// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Clock.h"
#include "platform/WallClockWatch.h"

// A clock that stands still until the test moves it.
class FixedClock : public platform::Clock
{
public:
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
    qint64 monotonic = 0;
    QDateTime now() const override { return time; }
    qint64 monotonicMs() const override { return monotonic; }
    // The wall clock jumps (a resume, a clock set), and the system says so.
    void jump(qint64 seconds)
    {
        time = time.addSecs(seconds);
        emit platform::WallClockWatch::instance().jumped();
    }
};
