// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// Turns SIGINT, SIGTERM and SIGHUP into an ordinary call: the signals are blocked in
// every thread and taken by one waiting thread. Construct it first thing in main(),
// before any thread starts, so that every later thread inherits the blocked set.
class StopOnSignal
{
public:
    StopOnSignal();
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    // Runs `stop` when a signal comes, or at once if one already came.
    void setHandler(std::function<void()> stop);
    bool requested() const { return m_requested; }

private:
    std::atomic<bool> m_requested = false;
    // Set before the destructor wakes the waiter, so the wake-up is not taken for a signal.
    std::atomic<bool> m_finishing = false;
    std::mutex m_mutex;
    std::function<void()> m_stop;
    std::thread m_waiter;
};
