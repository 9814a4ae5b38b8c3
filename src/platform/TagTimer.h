// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WallClockWatch.h"

#include <QTimer>

#include <algorithm>

// A timer that carries a free text tag, as the refresh countdown does.
class TagTimer : public QTimer
{
public:
    // The longest a timer that waits for a time of day sleeps at once. Timers count
    // monotonic time, which stands still while the machine is suspended: the owner
    // counts again when the wall clock jumps (WallClockWatch), or where nothing tells of
    // jumps, after a short sleep.
    static qint64 longestSleepMs() { return platform::WallClockWatch::instance().longestSleepMs(); }
    static constexpr qint64 preciseBelowMs = 60 * 1000;

    TagTimer(QObject* parent, int intervalMs, bool enabled, const QString& tag = {})
        : QTimer(parent), m_tag(tag)
    {
        setInterval(intervalMs);
        if (enabled)
            start();
    }

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    // Enabling a running timer leaves its phase alone; disabling stops it.
    void setEnabled(bool enabled)
    {
        if (!enabled)
            stop();
        else if (!isActive())
            start();
    }
    // The next timeout comes `ms` from now (or after the longest sleep); a disabled
    // timer keeps it for when it is enabled. A wait under a minute ends on time (a very
    // coarse timer may wake a second late); a longer one lets the system bunch wake-ups.
    void sleepFor(qint64 ms)
    {
        setTimerType(ms < preciseBelowMs ? Qt::PreciseTimer : Qt::VeryCoarseTimer);
        setInterval(int(std::clamp<qint64>(ms, 0, longestSleepMs())));
    }

private:
    QString m_tag;
};
