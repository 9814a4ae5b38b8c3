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
        return {Arming::Manual};
    return {Arming::Timed, intervalMinutes.value(index) * ticksPerMinute * tickMs};
}

namespace {
constexpr qint64 firstRetryMs = ticksPerMinute / 2 * tickMs;
constexpr int longestDoubling = 12; // far past any interval offered
// Wall-clock time this far beyond the timer's own follows a suspend, or a clock set
// forward; less is the two clocks drifting apart.
constexpr qint64 shortestPauseMs = 30 * 1000;
} // namespace

qint64 dueAfterPause(qint64 dueMs, qint64 pausedMs)
{
    return dueMs - (pausedMs > shortestPauseMs ? pausedMs : 0);
}

qint64 dueAfterTick(qint64 dueMs, qint64 elapsedMs, qint64 pausedMs)
{
    return dueAfterPause(dueMs, pausedMs) - std::max<qint64>(tickMs - elapsedMs, 0);
}

qint64 ticksLeft(qint64 msLeft)
{
    return msLeft > 0 ? (msLeft + tickMs / 2) / tickMs : 0;
}

qint64 sleepMs(qint64 ticksLeft)
{
    return std::clamp<qint64>(ticksLeft, 1, TagTimer::longestSleepMs() / tickMs) * tickMs;
}

qint64 afterFailure(int failures, qint64 fullMs)
{
    return std::min(firstRetryMs << std::clamp(failures - 1, 0, longestDoubling), fullMs);
}

} // namespace Countdown
