// SPDX-License-Identifier: GPL-3.0-or-later
// The reference for the new-connections figure: the least an HTTP server can do. It
// listens on 127.0.0.1 with one thread per core, each accepting a connection, reading
// its request's head, sending one short answer and closing, in a blocking loop.
//   TrivialServer PORT           (bench/server-rps compiles and runs it)
// With PORT 0 the system picks one; the port is printed on stdout once it listens.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

void serve(int listening)
{
    constexpr std::string_view answer = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                                        "Content-Length: 3\r\nConnection: close\r\n\r\nok\n";
    std::string received;
    char buffer[8192];
    for (;;) {
        const int socket = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        // A client that sends nothing holds this thread up to a second, no longer.
        const timeval timeout = {1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        received.clear();
        while (received.find("\r\n\r\n") == std::string::npos && received.size() < 65536) {
            const ssize_t n = ::recv(socket, buffer, sizeof(buffer), 0);
            if (n <= 0)
                break;
            received.append(buffer, size_t(n));
        }
        if (received.find("\r\n\r\n") != std::string::npos)
            ::send(socket, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(socket);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    char* end = nullptr;
    const long port = argc == 2 ? std::strtol(argv[1], &end, 10) : -1;
    if (argc != 2 || *end || port < 0 || port > 65535) {
        std::fprintf(stderr, "usage: TrivialServer PORT\n");
        return 2;
    }
    const int listening = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(listening, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listening, SOMAXCONN) != 0 ||
        ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "TrivialServer: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("%u\n", unsigned(ntohs(address.sin_port)));
    std::fflush(stdout);
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        threads.emplace_back(serve, listening);
    for (std::thread& thread : threads)
        thread.join();
}
