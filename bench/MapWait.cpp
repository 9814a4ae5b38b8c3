// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program under the current X display and measures it from outside:
//   artcal-bench-mapwait [--timeout-ms N] [--settle-ms N] [--hold-ms N] [--shot PREFIX]
//                        -- PROGRAM [ARGS...]
// Prints one line of key=value pairs on stdout:
//   map_ms     from just before fork until the X server reports the program's first
//              top-level window mapped (MapNotify on the root window, matched by _NET_WM_PID)
//   rss_kib    VmRSS once the window has been up for --settle-ms, and anon_kib the
//              private anonymous part of it (RssAnon): what is not shared library code
//   cpu_ticks, cpu_ns, switches, rss_end_kib   with --hold-ms: CPU time and context
//              switches over that many ms after the settle, and VmRSS at its end
// With --shot, ImageMagick's `import` grabs the window the moment it is reported mapped,
// into PREFIX-map.png, and again after the settle, into PREFIX-settled.png: the first
// frame a user sees, and the finished one.
// The program's own output goes to stderr. It is always ended (SIGTERM, then SIGKILL).

#include "ProcStats.h"

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t childPid = 0;

// Ended from outside, the measured program goes with us.
void onSignal(int signal)
{
    if (childPid > 0)
        kill(pid_t(childPid), SIGKILL);
    _exit(128 + signal);
}

struct Options
{
    int timeoutMs = 20000;
    int settleMs = 1000;
    int holdMs = 0;
    std::string shot;
    std::vector<char*> command;
};

[[noreturn]] void usage()
{
    std::fputs("usage: artcal-bench-mapwait [--timeout-ms N] [--settle-ms N] [--hold-ms N] "
               "[--shot PREFIX] -- PROGRAM [ARGS...]\n",
               stderr);
    std::exit(2);
}

Options parse(int argc, char* argv[])
{
    Options options;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
        if (i + 1 >= argc)
            usage();
        const int value = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--shot"))
            options.shot = argv[i + 1];
        else if (!std::strcmp(argv[i], "--timeout-ms"))
            options.timeoutMs = value;
        else if (!std::strcmp(argv[i], "--settle-ms"))
            options.settleMs = value;
        else if (!std::strcmp(argv[i], "--hold-ms"))
            options.holdMs = value;
        else
            usage();
    }
    for (++i; i < argc; ++i)
        options.command.push_back(argv[i]);
    if (options.command.empty())
        usage();
    options.command.push_back(nullptr);
    return options;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
{
    const auto cookie = xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

long windowPid(xcb_connection_t* c, xcb_window_t window, xcb_atom_t pidAtom)
{
    const auto cookie = xcb_get_property(c, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return -1;
    return long(*static_cast<const uint32_t*>(xcb_get_property_value(reply.get())));
}

void endChild(pid_t child)
{
    kill(child, SIGTERM);
    for (int i = 0; i < 60; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// Starts `import` on `window` into `file`; its pid.
pid_t grab(xcb_window_t window, const std::string& file)
{
    const std::string id = std::to_string(window);
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("import", "import", "-window", id.c_str(), file.c_str(), nullptr);
        std::perror("artcal-bench-mapwait: import");
        _exit(127);
    }
    return pid;
}

// Waits for the child's first top-level window to be mapped; 0 on timeout or exit.
xcb_window_t waitForMap(xcb_connection_t* c, pid_t child, xcb_atom_t pidAtom,
                        Clock::time_point deadline)
{
    const int fd = xcb_get_file_descriptor(c);
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            if (!map->override_redirect && windowPid(c, map->window, pidAtom) == long(child))
                return map->window;
        }
        if (xcb_connection_has_error(c) || waitpid(child, nullptr, WNOHANG) == child)
            return 0;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 20);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const Options options = parse(argc, argv);
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fputs("artcal-bench-mapwait: cannot open the X display\n", stderr);
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID"); // a round trip: the mask is in force

    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(xcb_get_file_descriptor(c));
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(options.command[0], options.command.data());
        std::perror("artcal-bench-mapwait: exec");
        _exit(127);
    }
    if (child < 0) {
        std::perror("artcal-bench-mapwait: fork");
        return 1;
    }
    childPid = child;
    const xcb_window_t window =
        waitForMap(c, child, pidAtom, start + std::chrono::milliseconds(options.timeoutMs));
    if (window == 0) {
        std::fprintf(stderr, "artcal-bench-mapwait: %s mapped no window\n", options.command[0]);
        endChild(child);
        return 1;
    }
    const double mapMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!options.shot.empty())
        waitpid(grab(window, options.shot + "-map.png"), nullptr, 0);

    std::this_thread::sleep_for(std::chrono::milliseconds(options.settleMs));
    if (!options.shot.empty())
        waitpid(grab(window, options.shot + "-settled.png"), nullptr, 0);
    std::string line = "map_ms=" + std::to_string(mapMs) +
                       " rss_kib=" + std::to_string(procstats::statusKib(child, "VmRSS")) +
                       " anon_kib=" + std::to_string(procstats::statusKib(child, "RssAnon"));
    if (options.holdMs > 0) {
        const long long ticks = procstats::cpuTicks(child);
        const long long ns = procstats::cpuNanoseconds(child);
        const auto switches = procstats::contextSwitches(child);
        std::this_thread::sleep_for(std::chrono::milliseconds(options.holdMs));
        line += " cpu_ticks=" + std::to_string(procstats::cpuTicks(child) - ticks) +
                " tick_hz=" + std::to_string(procstats::ticksPerSecond()) +
                " cpu_ns=" + std::to_string(procstats::cpuNanoseconds(child) - ns) +
                " switches=" + std::to_string(procstats::switchesSince(child, switches)) +
                " rss_end_kib=" + std::to_string(procstats::statusKib(child, "VmRSS"));
    }
    const bool alive = waitpid(child, nullptr, WNOHANG) == 0;
    endChild(child);
    xcb_disconnect(c);
    if (!alive) {
        std::fprintf(stderr, "artcal-bench-mapwait: %s ended before the measurement did\n",
                     options.command[0]);
        return 1;
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
