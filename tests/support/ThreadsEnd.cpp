// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every test. Qt's threads (the thread pool's, a network manager's) run
// detached: QThread::wait() returns before the ending thread has let go of its thread
// data. A thread still ending when the leak checker runs, right after exit, gets its
// 152 bytes of thread data reported as leaked. So at exit the test waits, for a bounded
// time, until no more threads run than at its start.

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

std::ptrdiff_t runningThreads()
{
    std::error_code error;
    const std::filesystem::directory_iterator tasks("/proc/self/task", error);
    return error ? 0 : std::distance(begin(tasks), end(tasks));
}

struct ThreadsEnd
{
    const std::ptrdiff_t atStart = runningThreads();
    ~ThreadsEnd()
    {
        using namespace std::chrono_literals;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (runningThreads() > atStart && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
    }
} threadsEnd;

} // namespace
