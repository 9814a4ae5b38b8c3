#include "picture/Countdown.h"

namespace Countdown {

Arm forInterval(int index, int itemCount)
{
    if (index < 0 || index >= itemCount)
        return {};
    if (index == itemCount - 1)
        return {Arming::Manual, {}};
    return {Arming::Timed, QString::number(List1.value(index) * ticksPerMinute)};
}

QString afterTick(const QString& countdown)
{
    bool ok = false;
    const short ticks = countdown.toShort(&ok);
    return QString::number(ok && ticks > 0 ? ticks - 1 : 0);
}

} // namespace Countdown
