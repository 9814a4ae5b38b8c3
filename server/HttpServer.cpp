// SPDX-License-Identifier: GPL-3.0-or-later
#include "HttpServer.h"

#include "MicrohttpdImports.h"
#include "ServerLog.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string.h>
#include <strings.h>

namespace server {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string numericHost(const sockaddr* address)
{
    if (!address)
        return {};
    const socklen_t length =
        address->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(address, length, host, sizeof(host), nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return host;
}

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

// An address as the per-address cap counts it: its bytes, an IPv4 address in IPv6 form
// as the IPv4 one (a dual-stack socket sees IPv4 clients so). Empty for other kinds.
std::string addressKey(const sockaddr* address)
{
    if (address && address->sa_family == AF_INET) {
        const in_addr& bytes = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        return {reinterpret_cast<const char*>(&bytes), sizeof(bytes)};
    }
    if (address && address->sa_family == AF_INET6) {
        const in6_addr& bytes = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        const auto* first = reinterpret_cast<const char*>(&bytes);
        if (IN6_IS_ADDR_V4MAPPED(&bytes))
            return {first + 12, 4};
        return {first, sizeof(bytes)};
    }
    return {};
}

// The same of a numeric address; empty when it is none.
std::string addressKey(const std::string& numeric)
{
    sockaddr_in ipv4 = {};
    sockaddr_in6 ipv6 = {};
    if (::inet_pton(AF_INET, numeric.c_str(), &ipv4.sin_addr) == 1) {
        ipv4.sin_family = AF_INET;
        return addressKey(reinterpret_cast<const sockaddr*>(&ipv4));
    }
    if (::inet_pton(AF_INET6, numeric.c_str(), &ipv6.sin6_addr) == 1) {
        ipv6.sin6_family = AF_INET6;
        return addressKey(reinterpret_cast<const sockaddr*>(&ipv6));
    }
    return {};
}

// The '&'-separated parts of a target's query, as the library counts its arguments.
size_t queryArgumentCount(std::string_view target)
{
    const size_t query = target.find('?');
    if (query == std::string_view::npos || query + 1 == target.size())
        return 0;
    const std::string_view arguments = target.substr(query + 1);
    return size_t(std::count(arguments.begin(), arguments.end(), '&')) + 1;
}

// libmicrohttpd up to 0.9.75 parses the query into one record per argument, in the
// connection's memory, right after the target is logged; a request with a few thousand
// arguments fills that memory, and the library then queues its error answer but goes on
// waiting for the request. The handlers read the target as sent, never these records.
const bool g_argumentsParsedAfterLog = ::strverscmp(MHD_get_version(), "0.9.75") <= 0;

// One request between the library's calls: its target as sent, then its answer.
struct Exchange
{
    enum class Stage { New, Headers, Working, Ready };

    explicit Exchange(const char* uri) : target(uri ? uri : "") {}
    ~Exchange()
    {
        if (response.file >= 0)
            ::close(response.file);
    }

    std::string target;
    bool tooManyArguments = false; // answered with an error status at once
    Stage stage = Stage::New;
    HttpResponse response;
};

MHD_Result collect(void* pairs, MHD_ValueKind, const char* key, const char* value)
{
    static_cast<std::vector<std::pair<std::string, std::string>>*>(pairs)->emplace_back(
        key ? key : "", value ? value : "");
    return MHD_YES;
}

HttpRequest requestOf(MHD_Connection* connection, const char* method, std::string target)
{
    HttpRequest request;
    request.method = method;
    request.target = std::move(target);
    if (const auto* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
        request.peerAddress = numericHost(info->client_addr);
    if (const auto* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)) {
        sockaddr_storage local = {};
        socklen_t length = sizeof(local);
        if (::getsockname(info->connect_fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
            request.localAddress = numericHost(reinterpret_cast<const sockaddr*>(&local));
            request.localPort = portOf(local);
        }
    }
    MHD_get_connection_values(connection, MHD_HEADER_KIND, collect, &request.headers);
    MHD_get_connection_values(connection, MHD_COOKIE_KIND, collect, &request.cookies);
    return request;
}

// Queues the answer; `last` closes the connection after it.
MHD_Result queue(MHD_Connection* connection, HttpResponse& response, bool last)
{
    MHD_Response* answer = nullptr;
    if (response.file >= 0) {
        answer = MHD_create_response_from_fd_at_offset64(
            uint64_t(response.fileLength), response.file, uint64_t(response.fileOffset));
        if (answer)
            response.file = -1; // the library closes it with the answer
    } else {
        answer = MHD_create_response_from_buffer(size_t(response.body.size()), response.body.data(),
                                                 MHD_RESPMEM_MUST_COPY);
    }
    if (!answer)
        return MHD_NO; // closes the connection
    if (!response.contentType.empty())
        MHD_add_response_header(answer, MHD_HTTP_HEADER_CONTENT_TYPE, response.contentType.c_str());
    for (const auto& [name, value] : response.headers)
        MHD_add_response_header(answer, name.c_str(), value.c_str());
    if (last)
        MHD_add_response_header(answer, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, unsigned(response.status), answer);
    MHD_destroy_response(answer);
    return queued;
}

bool hasBody(MHD_Connection* connection)
{
    const char* length =
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                       MHD_HTTP_HEADER_TRANSFER_ENCODING) ||
           (length && std::strcmp(length, "0") != 0);
}

void logLibrary(void*, const char* format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof(text), format, arguments);
    qCDebug(lcServer).noquote() << QString::fromUtf8(text).trimmed();
}

} // namespace

std::string_view HttpRequest::header(std::string_view name) const
{
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            return value;
    }
    return {};
}

std::vector<std::string_view> HttpRequest::headerValues(std::string_view name) const
{
    std::vector<std::string_view> values;
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            values.push_back(value);
    }
    return values;
}

std::string_view HttpRequest::cookie(std::string_view name) const
{
    for (const auto& [key, value] : cookies) {
        if (key == name)
            return value;
    }
    return {};
}

void HttpResponse::setHeader(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
}

struct HttpServer::Callbacks
{
    // Called with the target as sent, in the library's buffer, before it parses the query.
    static void* begin(void* self, const char* uri, MHD_Connection*)
    {
        auto* exchange = new Exchange(uri);
        exchange->tooManyArguments = queryArgumentCount(exchange->target) >
                                     static_cast<HttpServer*>(self)->m_limits.queryArguments;
        // Ends the query in that buffer at its '?': the library parses no argument then.
        if (g_argumentsParsedAfterLog) {
            if (char* query = const_cast<char*>(std::strchr(uri, '?')); query && query[1])
                query[1] = '\0';
        }
        return exchange;
    }

    // Takes a new connection unless its address holds its cap of open connections already.
    // Counted once the library has set a connection up (track()), so connections accepted
    // at the same moment by different threads may pass the cap by one a thread.
    static MHD_Result admit(void* self, const sockaddr* address, socklen_t)
    {
        auto& server = *static_cast<HttpServer*>(self);
        if (server.m_limits.perAddress == 0)
            return MHD_YES;
        const std::string key = addressKey(address);
        if (key.empty() || key == server.m_uncapped)
            return MHD_YES;
        std::lock_guard lock(server.m_mutex);
        const auto it = server.m_perAddress.find(key);
        return it == server.m_perAddress.end() || it->second < server.m_limits.perAddress ? MHD_YES
                                                                                          : MHD_NO;
    }

    static void end(void* self, MHD_Connection* connection, void** context,
                    MHD_RequestTerminationCode)
    {
        delete static_cast<Exchange*>(*context);
        *context = nullptr;
        auto& server = *static_cast<HttpServer*>(self);
        std::lock_guard lock(server.m_mutex);
        const auto it = server.m_connections.find(connection);
        if (it == server.m_connections.end() || !it->second.answering)
            return;
        it->second.answering = false;
        --server.m_answering;
        server.m_changed.notify_all();
        // Answered while the server stops: now idle, so it goes too.
        if (server.m_stopping && it->second.socket >= 0)
            ::shutdown(it->second.socket, SHUT_RDWR);
    }

    // Keeps the open connections, so that the stop can tell the idle ones and the cap can
    // count them by address. A connection is forgotten here before the library closes its
    // socket, which it never does while the stop holds the lock: a socket shut down under
    // the lock is still the connection's.
    static void track(void* self, MHD_Connection* connection, void**,
                      MHD_ConnectionNotificationCode code)
    {
        auto& server = *static_cast<HttpServer*>(self);
        std::lock_guard lock(server.m_mutex);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            const auto* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            const int socket = info ? info->connect_fd : -1;
            const auto* peer =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            std::string address = addressKey(peer ? peer->client_addr : nullptr);
            ++server.m_perAddress[address];
            server.m_connections[connection] = {socket, std::move(address)};
            microhttpd::screenFirstBytes(socket);
            // Taken in as the server stops: idle, and never answered.
            if (server.m_stopping && socket >= 0)
                ::shutdown(socket, SHUT_RDWR);
            return;
        }
        const auto it = server.m_connections.find(connection);
        if (it == server.m_connections.end())
            return;
        if (it->second.answering) {
            --server.m_answering;
            server.m_changed.notify_all();
        }
        microhttpd::forgetSocket(it->second.socket);
        if (const auto count = server.m_perAddress.find(it->second.address);
            count != server.m_perAddress.end() && --count->second == 0)
            server.m_perAddress.erase(count);
        server.m_connections.erase(it);
    }

    // True when the request may be answered: the server is not stopping.
    static bool beginAnswer(HttpServer& server, MHD_Connection* connection)
    {
        std::lock_guard lock(server.m_mutex);
        if (server.m_stopping)
            return false;
        const auto it = server.m_connections.find(connection);
        if (it != server.m_connections.end() && !it->second.answering) {
            it->second.answering = true;
            ++server.m_answering;
        }
        return true;
    }

    static MHD_Result answer(void* self, MHD_Connection* connection, const char*,
                             const char* method, const char*, const char*, size_t*, void** context)
    {
        auto& server = *static_cast<HttpServer*>(self);
        auto& exchange = *static_cast<Exchange*>(*context);
        if (exchange.stage == Exchange::Stage::Ready)
            return queue(connection, exchange.response, server.m_stopping);
        if (exchange.stage == Exchange::Stage::Working)
            return MHD_YES;
        if (exchange.tooManyArguments) {
            exchange.response.status = 414;
            exchange.response.contentType = "text/plain; charset=utf-8";
            exchange.response.body = "URI Too Long: at most " +
                                     QByteArray::number(server.m_limits.queryArguments) +
                                     " query arguments.\n";
            qCDebug(lcServer) << method << "with too many query arguments" << 414;
            return queue(connection, exchange.response, true);
        }
        // The library takes an answer queued at the first call, before any body, as the
        // end of the connection: requests with a body are answered there, so the body is
        // never read as the next request; the others at the next call, keeping it open.
        if (exchange.stage == Exchange::Stage::New && !hasBody(connection)) {
            exchange.stage = Exchange::Stage::Headers;
            return MHD_YES;
        }
        // Sent after the stop: closes the connection unanswered.
        if (!beginAnswer(server, connection))
            return MHD_NO;
        const HttpRequest request = requestOf(connection, method, exchange.target);
        server.m_handler(request, exchange.response);
        qCDebug(lcServer) << request.peerAddress.c_str() << method << exchange.target.c_str()
                          << exchange.response.status;
        if (!exchange.response.deferred)
            return queue(connection, exchange.response, server.m_stopping);
        defer(server, connection, exchange);
        return MHD_YES;
    }

    // Hands the response's deferred work to the queue while the connection waits. The
    // connection is suspended first, as the work may end at once; work refused answers
    // here, as late work does.
    static void defer(HttpServer& server, MHD_Connection* connection, Exchange& exchange)
    {
        HttpResponse& response = exchange.response;
        const std::string client = std::move(response.deferredFor);
        std::function<void(WorkQueue::Turn)> job =
            [work = std::exchange(response.deferred, nullptr),
             instead = std::exchange(response.instead, nullptr), &exchange,
             connection](WorkQueue::Turn turn) {
                if (turn == WorkQueue::Turn::Run)
                    work(exchange.response);
                else if (turn == WorkQueue::Turn::Late && instead)
                    instead(exchange.response);
                else
                    unavailable(exchange.response);
                exchange.stage = Exchange::Stage::Ready;
                MHD_resume_connection(connection);
            };
        exchange.stage = Exchange::Stage::Working;
        MHD_suspend_connection(connection);
        if (!server.m_work->submit(client, std::move(job))) {
            qCDebug(lcServer) << client.c_str() << "has too much work waiting; answered without";
            job(WorkQueue::Turn::Late);
        }
    }

    // Before any work: the response holds no file yet.
    static void unavailable(HttpResponse& response)
    {
        response = {};
        response.status = 503;
        response.contentType = "text/plain; charset=utf-8";
        response.body = "Busy: try again in a moment.\n";
        response.setHeader("Retry-After", "1");
    }
};

HttpServer::HttpServer(Handler handler, const Limits& limits)
    : m_handler(std::move(handler)), m_limits(limits),
      m_uncapped(limits.uncappedAddress.empty() ? std::string()
                                                : addressKey(limits.uncappedAddress))
{
}

HttpServer::~HttpServer()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

int HttpServer::bind(const QString& address, int port, QString* problem)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int lookup = ::getaddrinfo(address.toUtf8().constData(), service.c_str(), &hints, &found);
    if (lookup != 0) {
        if (problem)
            *problem = QString::fromLocal8Bit(::gai_strerror(lookup));
        return -1;
    }
    int error = 0;
    for (const addrinfo* candidate = found; candidate && m_socket < 0;
         candidate = candidate->ai_next) {
        const int socket = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC,
                                    candidate->ai_protocol);
        if (socket < 0) {
            error = errno;
            continue;
        }
        // A port in TIME_WAIT may be reused; SO_REUSEPORT is not set, so a second server on
        // a busy port fails instead of taking half its requests.
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        if (::bind(socket, candidate->ai_addr, candidate->ai_addrlen) == 0 &&
            ::listen(socket, SOMAXCONN) == 0) {
            m_socket = socket;
        } else {
            error = errno;
            ::close(socket);
        }
    }
    ::freeaddrinfo(found);
    if (m_socket < 0) {
        if (problem)
            *problem = QString::fromLocal8Bit(std::strerror(error));
        return -1;
    }
    sockaddr_storage bound = {};
    socklen_t length = sizeof(bound);
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&bound), &length);
    return portOf(bound);
}

bool HttpServer::listen()
{
    if (m_socket < 0)
        return false;
    microhttpd::rebindImports();
    const unsigned flags =
        MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    m_work = std::make_unique<WorkQueue>(m_limits.workers, m_limits.work);
    // The per-address cap is ours (admit()), not the library's, which knows no exception.
    MHD_Daemon* daemon = MHD_start_daemon(
        flags, 0, &Callbacks::admit, this, &Callbacks::answer, this, MHD_OPTION_LISTEN_SOCKET,
        MHD_socket(m_socket), MHD_OPTION_THREAD_POOL_SIZE, m_limits.threads,
        MHD_OPTION_CONNECTION_LIMIT, m_limits.connections, MHD_OPTION_CONNECTION_TIMEOUT,
        m_limits.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.connectionMemory,
        MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::begin, this, MHD_OPTION_NOTIFY_COMPLETED,
        &Callbacks::end, this, MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::track, this,
        MHD_OPTION_EXTERNAL_LOGGER, &logLibrary, nullptr, MHD_OPTION_END);
    if (!daemon) {
        m_work.reset();
        return false;
    }
    m_socket = -1; // the library has it now
    m_running = true;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopRequested; });
    }
    drain(daemon);
    // Deferred work still running past the grace ends first: the library must not stop
    // with a connection suspended. None starts from now on.
    m_work->finish();
    MHD_stop_daemon(daemon);
    m_work.reset();
    m_running = false;
    return true;
}

void HttpServer::drain(MHD_Daemon* daemon)
{
    // No new connection: the listening socket is ours again, to close.
    const MHD_socket listening = MHD_quiesce_daemon(daemon);
    if (listening != MHD_INVALID_SOCKET)
        ::close(listening);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const auto& [connection, state] : m_connections) {
            if (!state.answering && state.socket >= 0)
                ::shutdown(state.socket, SHUT_RDWR);
        }
    }
    // Work not started is not waited for: its connections get a 503 and close. Outside
    // the lock, which the library's threads take as they resume them.
    m_work->stop();
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, m_limits.stopGrace, [this] { return m_answering == 0; });
}

void HttpServer::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopRequested = true;
    m_changed.notify_all();
}

} // namespace server
