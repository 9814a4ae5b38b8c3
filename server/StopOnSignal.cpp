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

StopOnSignal::StopOnSignal(std::function<void()> stop)
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_waiter = std::thread([this, set, stop = std::move(stop)] {
        int signal = 0;
        sigwait(&set, &signal);
        if (!m_finishing)
            stop();
    });
}

StopOnSignal::~StopOnSignal()
{
    m_finishing = true;
    pthread_kill(m_waiter.native_handle(), SIGTERM);
    m_waiter.join();
}
