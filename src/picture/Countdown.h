// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The refresh countdown kept in the tag of the refresh timer: the number of 4999 ms
// ticks left before the next picture, 12 ticks to the minute.
namespace Countdown {

inline constexpr int tickMs = 4999;
inline constexpr int ticksPerMinute = 12;

enum class Arming { Unchanged, Manual, Timed };

struct Arm
{
    Arming arming = Arming::Unchanged;
    QString ticks; // the new countdown when timed
};

// The minutes of the interval choices, in the order offered; "Manual Update" follows.
inline const QList<int> List1 = {5, 15, 30, 60};

// How the interval choice arms the timer: no selection leaves it as it is, the last
// of `itemCount` items ("Manual Update") stops it, any other counts its minutes down.
Arm forInterval(int index, int itemCount);

// The ticks that went by since the countdown was last counted: the timer's own time
// `elapsedMs` to the nearest tick, at least one (every tick counts), and the wall-clock
// time `pausedMs` that it did not count (a suspended machine, a clock set forward) in
// whole ticks, once it is too long to be the clocks drifting apart.
qint64 ticksPassed(qint64 elapsedMs, qint64 pausedMs);

// The countdown lowered by `ticks`, not below zero. A countdown that does not read as
// a number counts as due.
QString afterTicks(const QString& countdown, qint64 ticks);

// How long the timer sleeps before it counts again: whole ticks until the countdown
// runs out (one tick when it is due), never longer than a timer's longest sleep.
qint64 sleepMs(const QString& countdown);

// The countdown after the `failures`-th refresh in a row that failed: 30 s, then 1, 2,
// 4 ... minutes, never longer than the interval's own countdown `full`.
QString afterFailure(int failures, const QString& full);

} // namespace Countdown
