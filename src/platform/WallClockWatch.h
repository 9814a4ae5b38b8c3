// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace platform {

// Tells when the wall clock jumps: set forward or back, or moved on by a resume from a
// suspend, which the monotonic time that timers count leaves out. A timer that waits
// for a time of day sleeps its whole wait and counts again when told. Linux tells
// through a timerfd that the kernel cancels at such a jump; where nothing tells, such a
// timer sleeps two minutes at most and looks.
class WallClockWatch : public QObject
{
    Q_OBJECT
public:
    // The watch of the UI thread, whose timers wait for times of day: made with its
    // first use, gone with the application.
    static WallClockWatch& instance();

    // The longest a timer that waits for a time of day sleeps at once.
    qint64 longestSleepMs() const;

signals:
    // The wall clock jumped (tests, which move an injected clock, say so themselves).
    void jumped();

private:
    explicit WallClockWatch(QObject* parent);
    ~WallClockWatch() override;
    bool arm();
    void clockJumped();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier; // while the kernel tells of jumps
};

} // namespace platform
