// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QtGlobal>

// The refresh countdown. The picture cycle keeps when the next refresh is due on the
// monotonic clock; the refresh timer ticks every 4999 ms, 12 ticks to the minute, and
// its tag shows the ticks left.
namespace Countdown {

inline constexpr int tickMs = 4999;
inline constexpr int ticksPerMinute = 12;

enum class Arming { Unchanged, Manual, Timed };

struct Arm
{
    Arming arming = Arming::Unchanged;
    qint64 ms = 0; // the interval when timed
};

// The minutes of the interval choices, in the order offered; "Manual Update" follows.
inline const QList<int> intervalMinutes = {5, 15, 30, 60}; // List1

// How the interval choice arms the timer: no selection leaves it as it is, the last
// of `itemCount` items ("Manual Update") stops it, any other counts its minutes down.
Arm forInterval(int index, int itemCount);

// When the next refresh is due: `dueMs` brought nearer by the wall-clock time `pausedMs`
// that the monotonic clock did not count since the last count (a suspended machine, a
// clock set forward), once it is too long to be the clocks drifting apart.
qint64 dueAfterPause(qint64 dueMs, qint64 pausedMs);
// The same after a tick that comes `elapsedMs` after the last count: a tick that comes
// sooner than a tick after it still counts a whole tick.
qint64 dueAfterTick(qint64 dueMs, qint64 elapsedMs, qint64 pausedMs);

// The ticks left, to the nearest tick, when `msLeft` remain: what the timer's tag shows.
qint64 ticksLeft(qint64 msLeft);

// How long the timer sleeps before it counts again: whole ticks until the countdown
// runs out (one tick when it is due), never longer than a timer's longest sleep.
qint64 sleepMs(qint64 ticksLeft);

// The wait after the `failures`-th refresh in a row that failed: 30 s, then 1, 2, 4 ...
// minutes, never longer than `fullMs`, what the interval left.
qint64 afterFailure(int failures, qint64 fullMs);

} // namespace Countdown
