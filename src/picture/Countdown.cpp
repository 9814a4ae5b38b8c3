#include "picture/Countdown.h"

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
} // namespace

QString afterTick(const QString& countdown)
{
    return QString::number(std::max<qint64>(ticksOf(countdown) - 1, 0));
}

QString afterPause(const QString& countdown, qint64 pausedMs)
{
    return QString::number(std::max<qint64>(ticksOf(countdown) - pausedMs / tickMs, 0));
}

QString afterFailure(int failures, const QString& full)
{
    const qint64 retry = firstRetryTicks << std::clamp(failures - 1, 0, longestDoubling);
    return QString::number(std::min(retry, ticksOf(full)));
}

} // namespace Countdown
