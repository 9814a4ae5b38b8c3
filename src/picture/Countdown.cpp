#include "picture/Countdown.h"

namespace Countdown {

Arm forInterval(int index, int itemCount, const QStringList& minutes)
{
    if (index < 0 || index >= itemCount)
        return {};
    if (index == itemCount - 1)
        return {Arming::Manual, {}};
    return {Arming::Timed, QString::number(minutes.value(index).toInt() * ticksPerMinute)};
}

} // namespace Countdown
