// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QUrl>

namespace platform {

// The connections this process holds to one server at a moment, to be shut down later:
// Qt does not tell which connection is a reply's, and a reply cut while Qt's network
// thread reads it a byte at a time (see Transfer) holds that thread until its
// connection goes. Connections opened after the moment are never touched.
class ServerSockets
{
public:
    // Those open now to the host and port of `url` (any address of a named host).
    static ServerSockets openTo(const QUrl& url);
    // Shuts down each that is still the same connection, both ways.
    void shutDown() const;

private:
    struct Socket
    {
        int fd;
        quint16 localPort; // tells the connection from a later one that reuses `fd`
    };
    QList<Socket> m_sockets;
};

} // namespace platform
