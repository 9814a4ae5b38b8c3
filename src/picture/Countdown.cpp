// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Countdown.h"

#include "platform/TagTimer.h"

#include <algorithm>

namespace Countdown {

Arm forInterval(int index, int itemCount)
{
    if (index < 0 || index >= itemCount)
        return {};
    if (index == itemCount - 1)
        return {Arming::Manual, {}};
    return {Arming::Timed, QString::number(List1.value(index) * ticksPerMinute)};
}

namespace {
// Ticks as read from a countdown; one that does not read as a number counts as due.
qint64 ticksOf(const QString& countdown)
{
    bool ok = false;
    const short ticks = countdown.toShort(&ok);
    return ok && ticks > 0 ? ticks : 0;
}

constexpr qint64 firstRetryTicks = ticksPerMinute / 2;
constexpr int longestDoubling = 12; // far past any interval offered
// Wall-clock time this far beyond the timer's own follows a suspend, or a clock set
// forward; less is the two clocks drifting apart.
constexpr qint64 shortestPauseMs = 30 * 1000;
} // namespace

qint64 ticksPassed(qint64 elapsedMs, qint64 pausedMs)
{
    const qint64 counted = std::max<qint64>((elapsedMs + tickMs / 2) / tickMs, 1);
    return counted + (pausedMs > shortestPauseMs ? pausedMs / tickMs : 0);
}

QString afterTicks(const QString& countdown, qint64 ticks)
{
    return QString::number(std::max<qint64>(ticksOf(countdown) - ticks, 0));
}

qint64 sleepMs(const QString& countdown)
{
    return std::clamp<qint64>(ticksOf(countdown), 1, TagTimer::longestSleepMs / tickMs) * tickMs;
}

QString afterFailure(int failures, const QString& full)
{
    const qint64 retry = firstRetryTicks << std::clamp(failures - 1, 0, longestDoubling);
    return QString::number(std::min(retry, ticksOf(full)));
}

} // namespace Countdown
