// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>

namespace platform {

// Where the widget reads the time: today's date for the calendar and a monotonic
// clock for timed effects. Tests install their own clock to move time at will.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;
    // Milliseconds on a clock that never jumps back (midnight, DST, a changed date).
    virtual qint64 monotonicMs() const;

    QDate today() const { return now().date(); }
};

// The clock in use; the system clock unless a test has installed another.
const Clock& clock();
// Installs `clock` (not owned) until it is replaced; nullptr restores the system clock.
void setClock(const Clock* clock);

} // namespace platform
