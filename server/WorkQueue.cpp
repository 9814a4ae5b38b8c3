// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkQueue.h"

namespace server {

WorkQueue::WorkQueue(int workers, const Bounds& bounds) : m_bounds(bounds)
{
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this] { work(); });
    m_threads.emplace_back([this] { expire(); });
}

WorkQueue::~WorkQueue()
{
    finish();
}

bool WorkQueue::submit(const std::string& client, Job&& job)
{
    std::lock_guard lock(m_mutex);
    if (m_stopped || m_waiting >= m_bounds.waiting)
        return false;
    Client& state = m_clients[client];
    if (state.waiting.size() + state.running >= m_bounds.perClient) {
        if (state.waiting.empty() && !state.running)
            m_clients.erase(client);
        return false;
    }
    state.waiting.push_back({std::move(job), Clock::now() + m_bounds.deadline});
    // Every deadline is as far off: only a timer with nothing to wait for needs waking.
    if (m_waiting++ == 0)
        m_timerWake.notify_one();
    if (!state.running && !state.inTurns) {
        state.inTurns = true;
        m_turns.push_back(client);
        m_turnCame.notify_one();
    }
    return true;
}

void WorkQueue::stop()
{
    std::vector<Job> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        for (auto it = m_clients.begin(); it != m_clients.end();) {
            for (Waiting& waiting : it->second.waiting)
                dropped.push_back(std::move(waiting.job));
            it->second.waiting.clear();
            it = it->second.running ? std::next(it) : m_clients.erase(it);
        }
        m_waiting = 0;
        m_turns.clear();
    }
    m_turnCame.notify_all();
    m_timerWake.notify_all();
    for (Job& job : dropped)
        job(Turn::Dropped);
}

void WorkQueue::finish()
{
    stop();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void WorkQueue::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_turnCame.wait(lock, [this] { return m_stopped || !m_turns.empty(); });
        if (m_stopped)
            return;
        const std::string name = std::move(m_turns.front());
        m_turns.pop_front();
        const auto found = m_clients.find(name);
        // A client whose waiting work all went late, and was forgotten, may be back.
        if (found == m_clients.end() || !found->second.inTurns)
            continue;
        Client& client = found->second; // stays while it runs: only idle clients are erased
        client.inTurns = false;
        if (client.waiting.empty()) {
            m_clients.erase(found);
            continue;
        }
        Job job = std::move(client.waiting.front().job);
        client.waiting.pop_front();
        --m_waiting;
        client.running = true;
        lock.unlock();
        job(Turn::Run);
        job = nullptr; // what it holds goes outside the lock
        lock.lock();
        client.running = false;
        if (client.waiting.empty()) {
            m_clients.erase(name);
        } else {
            // Its next job waits for the clients already in turn.
            client.inTurns = true;
            m_turns.push_back(name);
            m_turnCame.notify_one();
        }
    }
}

void WorkQueue::expire()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopped) {
        const Clock::time_point now = Clock::now();
        Clock::time_point next = Clock::time_point::max();
        std::vector<Job> late;
        for (auto it = m_clients.begin(); it != m_clients.end();) {
            Client& client = it->second;
            // Each client's work waits in the order it came: the first is due first.
            while (!client.waiting.empty() && client.waiting.front().due <= now) {
                late.push_back(std::move(client.waiting.front().job));
                client.waiting.pop_front();
                --m_waiting;
            }
            if (!client.waiting.empty())
                next = std::min(next, client.waiting.front().due);
            it = client.waiting.empty() && !client.running ? m_clients.erase(it) : std::next(it);
        }
        if (!late.empty()) {
            lock.unlock();
            for (Job& job : late)
                job(Turn::Late);
            late.clear();
            lock.lock();
        } else if (next == Clock::time_point::max()) {
            m_timerWake.wait(lock);
        } else {
            m_timerWake.wait_until(lock, next);
        }
    }
}

} // namespace server
