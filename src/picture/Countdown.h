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

// The countdown after one tick: lowered by one while above zero. A countdown that
// does not read as a number counts as due.
QString afterTick(const QString& countdown);

// The countdown after the timer stood still for `pausedMs` while time went on (a
// suspended machine, a clock set forward): lowered by the ticks missed, not below zero.
QString afterPause(const QString& countdown, qint64 pausedMs);

// The countdown after the `failures`-th refresh in a row that failed: 30 s, then 1, 2,
// 4 ... minutes, never longer than the interval's own countdown `full`.
QString afterFailure(int failures, const QString& full);

} // namespace Countdown
