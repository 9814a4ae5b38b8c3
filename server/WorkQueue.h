// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace server {

// Slow work (decoding pictures) on threads of its own, shared fairly by the clients that
// ask for it: a client's jobs run one at a time, clients take turns, and waiting is
// bounded per client, in all and in time. A job past a bound is refused at once; one
// that waits past the deadline, or is still waiting when the queue stops, is told so
// and answers without the work.
class WorkQueue
{
public:
    struct Bounds
    {
        unsigned perClient = 6; // running or waiting: as many as a browser's connections
        unsigned waiting = 32;  // of all clients
        std::chrono::milliseconds deadline = std::chrono::seconds(2);
    };
    enum class Turn {
        Run,     // its turn came
        Late,    // waited past the deadline
        Dropped, // still waiting when the queue stopped
    };
    // Called once, on a worker (Run), the timer (Late) or the caller of stop() (Dropped).
    using Job = std::function<void(Turn)>;

    // Zero workers run nothing: every job waits until it is late or dropped.
    WorkQueue(int workers, const Bounds& bounds);
    ~WorkQueue(); // finish()
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Queues `job` for `client`; false, and `job` is left as it was, past a bound or
    // after stop().
    bool submit(const std::string& client, Job&& job);
    // Takes no more jobs and drops the waiting ones; the running ones go on.
    void stop();
    // stop(), then waits for the running jobs to end.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    struct Waiting
    {
        Job job;
        Clock::time_point due;
    };
    struct Client
    {
        std::deque<Waiting> waiting;
        bool running = false;
        bool inTurns = false; // its name is in m_turns
    };

    void work();
    void expire();

    const Bounds m_bounds;
    std::mutex m_mutex; // guards the members below
    std::condition_variable m_turnCame;
    std::condition_variable m_timerWake;
    std::unordered_map<std::string, Client> m_clients; // those with work running or waiting
    std::deque<std::string> m_turns; // clients with work waiting and none running, in turn
    size_t m_waiting = 0;
    bool m_stopped = false;
    std::vector<std::thread> m_threads; // the workers, then the timer
};

} // namespace server
