#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Runs `stop` once when SIGINT, SIGTERM or SIGHUP arrives. The signals are blocked in
// every thread and taken by one waiting thread, so `stop` runs as ordinary code, not in
// a signal handler. Construct it before any other thread starts.
class StopOnSignal
{
public:
    explicit StopOnSignal(std::function<void()> stop);
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    // Set before the destructor wakes the waiter, so the wake-up is not taken for a signal.
    std::atomic<bool> m_finishing = false;
    std::thread m_waiter;
};
