// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WorkQueue.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

struct MHD_Connection;
struct MHD_Daemon;

namespace server {

struct HttpRequest
{
    std::string method;
    std::string target;      // path and query, exactly as on the request line
    std::string peerAddress; // numeric, of the connection's other end
    std::string localAddress;
    int localPort = 0;
    std::vector<std::pair<std::string, std::string>> headers; // in the order sent
    std::vector<std::pair<std::string, std::string>> cookies;

    // The first value of a header (names compare without case); empty when absent.
    std::string_view header(std::string_view name) const;
    // Every value of a header, in the order sent.
    std::vector<std::string_view> headerValues(std::string_view name) const;
    std::string_view cookie(std::string_view name) const;
};

struct HttpResponse
{
    int status = 200;
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> headers;
    QByteArray body;
    // A file's bytes instead of the body: an open descriptor the transport then owns.
    int file = -1;
    qint64 fileOffset = 0;
    qint64 fileLength = 0;
    // Work too slow for the connection threads (decoding pictures): set by a handler, run
    // on a worker thread while the connection waits, and it fills in this response.
    std::function<void(HttpResponse&)> deferred;
    // Whose work it is (the client's address): each client's runs in turn with the others',
    // within the bounds of Limits::work.
    std::string deferredFor;
    // The answer instead of the deferred work's when that cannot start soon (past its
    // client's or the server's bound, or its deadline): quick, on any thread. Unset: 503.
    std::function<void(HttpResponse&)> instead;

    void setHeader(std::string name, std::string value);
};

// An HTTP/1.1 server on GNU libmicrohttpd: a few event-driven connection threads
// (epoll), a memory pool of fixed size per connection (headers past it get an error
// status and a closed connection), connections capped in all and per client address,
// idle connections timed out. Pipelining, half-closed clients and request bodies are
// the library's; every request reaches the handler with its target unchanged.
// Requests the library would leave unanswered get an error status and a closed
// connection at once: a start that is no HTTP request line (see MicrohttpdImports.h)
// and more query arguments than Limits::queryArguments.
// Stopping takes no new connection and closes the idle ones at once: only requests
// already being answered get a moment (stopGrace) to finish, closing their connection
// after; deferred work not yet started is dropped (503); a request sent after the stop
// is not answered.
class HttpServer
{
public:
    using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;

    struct Limits
    {
        unsigned connections = 2000; // each may hold connectionMemory
        unsigned perAddress = 64;    // 0: no cap
        // An address the per-address cap spares (numeric): the reverse proxy every client
        // of a server behind one comes through. Empty: none.
        std::string uncappedAddress = {};
        unsigned idleSeconds = 10;
        unsigned queryArguments = 1000; // '&'-separated parts of a target's query
        std::chrono::milliseconds stopGrace = std::chrono::seconds(2);
        size_t connectionMemory = 128 * 1024; // request line and headers must fit
        // One connection thread and one worker, for deferred work, per core: 2 to 8.
        unsigned threads = unsigned(std::clamp(std::thread::hardware_concurrency(), 2u, 8u));
        int workers = int(threads);
        WorkQueue::Bounds work = {};
    };

    HttpServer(Handler handler, const Limits& limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds to `address`; port 0 picks a free one. Returns the port, or -1 and, in
    // `problem`, why (the system's words: "Address already in use").
    int bind(const QString& address, int port, QString* problem = nullptr);
    // Serves until stop(); false when the bound socket could not be served.
    bool listen();
    void stop();
    bool isRunning() const { return m_running; }

private:
    struct Callbacks;
    // What the stop and the per-address cap need to know of an open connection.
    struct Connection
    {
        int socket = -1;
        std::string address;    // its peer's, as the cap counts it
        bool answering = false; // from the handler's call to the end of its answer
    };

    // Takes no new connection, closes the idle ones and waits, up to the grace, for the
    // others' answers.
    void drain(MHD_Daemon* daemon);

    Handler m_handler;
    const Limits m_limits;
    const std::string m_uncapped; // Limits::uncappedAddress, as the cap counts it
    int m_socket = -1;
    std::unique_ptr<WorkQueue> m_work; // while listening
    std::atomic<bool> m_running = false;

    std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    bool m_stopRequested = false;
    // No new answer begins, and those given close their connection. Set under the lock,
    // read without it too.
    std::atomic<bool> m_stopping = false;
    std::unordered_map<MHD_Connection*, Connection> m_connections;
    std::unordered_map<std::string, unsigned> m_perAddress; // open connections by address
    size_t m_answering = 0;
};

} // namespace server
