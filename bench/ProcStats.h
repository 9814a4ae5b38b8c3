#pragma once

// What the kernel says about a process: resident memory and CPU time, from /proc.

#include <sys/types.h>

#include <cstdint>
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

} // namespace procstats
