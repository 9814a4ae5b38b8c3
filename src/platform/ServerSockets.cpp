// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ServerSockets.h"

#include <QDir>
#include <QHostAddress>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <sys/socket.h>
#endif

#include <optional>

namespace platform {

namespace {
#ifdef Q_OS_UNIX
int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return -1;
}

// The peer and the local port of the connection on `fd`, if it is one.
std::optional<std::pair<sockaddr_storage, int>> ends(int fd)
{
    sockaddr_storage peer{};
    sockaddr_storage local{};
    socklen_t peerSize = sizeof peer;
    socklen_t localSize = sizeof local;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0)
        return std::nullopt;
    return std::pair{peer, portOf(local)};
}
#endif
} // namespace

ServerSockets ServerSockets::openTo(const QUrl& url)
{
    ServerSockets found;
#ifdef Q_OS_UNIX
    const QHostAddress host(url.host()); // null for a name: any address of the server
    const int port = url.port(url.scheme() == u"https" ? 443 : 80);
    const QStringList fds =
        QDir(QStringLiteral("/dev/fd")).entryList(QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : fds) {
        const int fd = name.toInt();
        const auto connection = ends(fd);
        if (!connection || portOf(connection->first) != port)
            continue;
        const QHostAddress peer(reinterpret_cast<const sockaddr*>(&connection->first));
        if (host.isNull() || host.isEqual(peer))
            found.m_sockets.append({fd, quint16(connection->second)});
    }
#else
    Q_UNUSED(url);
#endif
    return found;
}

void ServerSockets::shutDown() const
{
#ifdef Q_OS_UNIX
    for (const Socket& socket : m_sockets) {
        const auto connection = ends(socket.fd);
        if (connection && connection->second == socket.localPort)
            ::shutdown(socket.fd, SHUT_RDWR);
    }
#endif
}

} // namespace platform
