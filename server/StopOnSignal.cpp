// SPDX-License-Identifier: GPL-3.0-or-later
#include "StopOnSignal.h"

#include <csignal>
#include <pthread.h>

namespace {

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

StopOnSignal::StopOnSignal()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_waiter = std::thread([this, set] {
        int signal = 0;
        sigwait(&set, &signal);
        if (m_finishing)
            return;
        std::lock_guard lock(m_mutex);
        m_requested = true;
        if (m_stop)
            m_stop();
    });
}

StopOnSignal::~StopOnSignal()
{
    m_finishing = true;
    pthread_kill(m_waiter.native_handle(), SIGTERM);
    m_waiter.join();
}

void StopOnSignal::setHandler(std::function<void()> stop)
{
    std::lock_guard lock(m_mutex);
    m_stop = std::move(stop);
    if (m_requested)
        m_stop();
}
