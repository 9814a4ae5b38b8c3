// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the kernel says about a process: resident memory and CPU time, from /proc.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>

namespace procstats {

// A "kB" field of /proc/PID/status, such as "VmRSS" or "VmHWM"; -1 when unreadable.
long statusKib(pid_t pid, const std::string& field);
// Starts the peak (VmHWM) afresh from the current resident size; false when the
// kernel does not allow it.
bool resetPeak(pid_t pid);
// utime + stime of the whole process, in clock ticks (/proc/PID/stat); -1 when unreadable.
long long cpuTicks(pid_t pid);
long ticksPerSecond();
// Time on a CPU of every thread, in nanoseconds (/proc/PID/task/*/schedstat): the same
// quantity as utime + stime, without their 10 ms granularity. -1 when unreadable.
long long cpuNanoseconds(pid_t pid);
// Context switches of each thread by its id (/proc/PID/task/*/status): each time a
// thread went to sleep or was put off a CPU; an idle program's count is its wake-ups.
std::map<std::string, long long> contextSwitches(pid_t pid);
// The switches since `before`, of the threads alive now (a thread that ended takes its
// count with it).
long long switchesSince(pid_t pid, const std::map<std::string, long long>& before);

} // namespace procstats
