// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WallClockWatch.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <limits>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
// How long a timer sleeps at most when nothing tells of jumps: a resume or a clock set
// forward is seen within it (two minutes, as the warnings say).
constexpr qint64 blindSleepMs = 2 * 60 * 1000;
} // namespace

WallClockWatch& WallClockWatch::instance()
{
    static QPointer<WallClockWatch> watch;
    if (!watch)
        watch = new WallClockWatch(QCoreApplication::instance());
    return *watch;
}

WallClockWatch::WallClockWatch(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0 || !arm()) {
        qCWarning(lcClock).noquote() << "cannot watch the clock:" << std::strerror(errno)
                                     << "- timers look at it every two minutes";
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &WallClockWatch::clockJumped);
#endif
}

WallClockWatch::~WallClockWatch()
{
    m_notifier.reset();
#ifdef Q_OS_LINUX
    if (m_fd >= 0)
        close(m_fd);
#endif
}

qint64 WallClockWatch::longestSleepMs() const
{
    return m_notifier ? std::numeric_limits<int>::max() : blindSleepMs; // QTimer's limit
}

bool WallClockWatch::arm()
{
#ifdef Q_OS_LINUX
    // Set for a time that never comes: only the cancel at a jump is wanted.
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();
    return timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) == 0;
#else
    return false;
#endif
}

void WallClockWatch::clockJumped()
{
#ifdef Q_OS_LINUX
    // Fails with ECANCELED after a jump. Armed again all the same; should that fail, the
    // timers, which count again now, fall back to short sleeps.
    quint64 expiries = 0;
    if (read(m_fd, &expiries, sizeof expiries) < 0 && errno == EAGAIN)
        return;
    if (!arm()) {
        qCWarning(lcClock).noquote() << "cannot watch the clock any more:" << std::strerror(errno);
        m_notifier->setEnabled(false);
        m_notifier.release()->deleteLater(); // not under its own signal
    }
#endif
    emit jumped();
}

} // namespace platform
