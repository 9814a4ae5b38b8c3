// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include <QElapsedTimer>

namespace platform {

namespace {
const Clock systemClock;
const Clock* current = &systemClock;

const QElapsedTimer& monotonicOrigin()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
} // namespace

QDateTime Clock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 Clock::monotonicMs() const
{
    return monotonicOrigin().elapsed();
}

const Clock& clock()
{
    return *current;
}

void setClock(const Clock* clock)
{
    current = clock ? clock : &systemClock;
}

} // namespace platform
