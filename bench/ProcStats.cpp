// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcStats.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace procstats {

namespace {
std::string procPath(pid_t pid, const std::string& name)
{
    return "/proc/" + std::to_string(pid) + "/" + name;
}
} // namespace

long statusKib(pid_t pid, const std::string& field)
{
    std::ifstream in(procPath(pid, "status"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

bool resetPeak(pid_t pid)
{
    std::ofstream out(procPath(pid, "clear_refs"));
    out << "5";
    out.close();
    return !out.fail();
}

long long cpuTicks(pid_t pid)
{
    std::ifstream in(procPath(pid, "stat"));
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name is in parentheses and may hold spaces: count fields after it.
    const auto end = all.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::istringstream fields(all.substr(end + 2));
    std::string field;
    long long utime = -1, stime = -1;
    // Fields 3.. of stat(5): utime is field 14, stime field 15.
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::stoll(field);
        else if (n == 15)
            stime = std::stoll(field);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

long ticksPerSecond()
{
    return sysconf(_SC_CLK_TCK);
}

namespace {
// The ids of the process's threads (/proc/PID/task).
std::vector<std::string> threads(pid_t pid)
{
    std::vector<std::string> ids;
    if (DIR* tasks = opendir(procPath(pid, "task").c_str())) {
        while (const dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] != '.')
                ids.emplace_back(entry->d_name);
        }
        closedir(tasks);
    }
    return ids;
}
} // namespace

long long cpuNanoseconds(pid_t pid)
{
    const std::vector<std::string> ids = threads(pid);
    if (ids.empty())
        return -1;
    long long total = 0;
    for (const std::string& tid : ids) {
        std::ifstream in(procPath(pid, "task/" + tid + "/schedstat"));
        long long ns = 0;
        if (in >> ns)
            total += ns;
    }
    return total;
}

std::map<std::string, long long> contextSwitches(pid_t pid)
{
    std::map<std::string, long long> byThread;
    for (const std::string& tid : threads(pid)) {
        std::ifstream in(procPath(pid, "task/" + tid + "/status"));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                byThread[tid] += std::stoll(line.substr(line.find(':') + 1));
        }
    }
    return byThread;
}

long long switchesSince(pid_t pid, const std::map<std::string, long long>& before)
{
    long long total = 0;
    for (const auto& [tid, count] : contextSwitches(pid)) {
        const auto it = before.find(tid);
        total += count - (it == before.end() ? 0 : it->second);
    }
    return total;
}

} // namespace procstats
