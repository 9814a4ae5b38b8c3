// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <algorithm>

struct FaultServer::Exchange
{
    QTcpSocket* socket;
    QTimer* wait; // the header delay, then the delay after each piece
    Answer answer{};
    qint64 size = 0;  // of the whole body
    qint64 sent = -1; // body bytes sent; -1 before the head
};

FaultServer::FaultServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FaultServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QByteArray FaultServer::generated(qint64 offset, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((offset + i) % 251);
    return bytes;
}

void FaultServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto exchange = std::make_shared<Exchange>(socket, new QTimer(socket));
        exchange->wait->setSingleShot(true);
        // Head and body go out in separate writes: without this, Nagle's algorithm and
        // the client's delayed ACK hold the body back some 40 ms.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, socket, [this, exchange] { read(exchange); });
        connect(exchange->wait, &QTimer::timeout, socket, [this, exchange] { pump(exchange); });
        connect(socket, &QTcpSocket::bytesWritten, socket, [this, exchange] { pump(exchange); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 n) { m_sentBytes += n; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { ++m_closedConnections; });
    }
}

void FaultServer::read(const std::shared_ptr<Exchange>& exchange)
{
    QTcpSocket* socket = exchange->socket;
    if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
        return;
    // One request per connection: what follows its head stays unread.
    QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
    const QList<QByteArray> lines = socket->readAll().split('\n');
    Request request{.target = lines[0].split(' ').value(1)};
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).toLower(), line.mid(colon + 1).trimmed());
    }
    m_requests.append(request);

    Answer& answer = exchange->answer =
        m_routes.value(request.path(), Answer{.status = 404, .body = "no such route"});
    exchange->size =
        answer.body.isEmpty() ? std::max<qint64>(answer.generatedSize, 0) : answer.body.size();
    exchange->wait->start(answer.headerDelay);
}

void FaultServer::pump(const std::shared_ptr<Exchange>& exchange)
{
    QTcpSocket* socket = exchange->socket;
    const Answer& answer = exchange->answer;
    // Queued at most, so a huge body is never held in memory at once.
    constexpr qint64 highWater = 256 * 1024;
    if (exchange->wait->isActive() || socket->state() != QAbstractSocket::ConnectedState ||
        socket->bytesToWrite() >= highWater)
        return;
    if (answer.floodHead) {
        const QByteArray lines =
            QByteArray("X-Flood: " + QByteArray(100, 'a') + "\r\n").repeated(100);
        socket->write(exchange->sent < 0 ? "HTTP/1.1 200 Flood\r\n" + lines : lines);
        exchange->sent = 0;
        return;
    }
    if (exchange->sent < 0) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                          " Answer\r\nContent-Type: " + answer.contentType + "\r\n";
        const qint64 length = answer.claimedLength >= 0 ? answer.claimedLength : exchange->size;
        if (answer.sendLength)
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        for (const auto& [name, value] : answer.headers)
            head += name + ": " + value + "\r\n";
        socket->write(head + "Connection: close\r\n\r\n");
        exchange->sent = 0;
    }
    const qint64 limit = answer.stopAfter >= 0 ? answer.stopAfter : exchange->size;
    const qint64 n = std::min(answer.pieceSize > 0 ? answer.pieceSize : highWater,
                              std::min(limit, exchange->size) - exchange->sent);
    if (n > 0) {
        socket->write(answer.body.isEmpty() ? generated(exchange->sent, n)
                                            : answer.body.mid(exchange->sent, n));
        exchange->sent += n;
        exchange->wait->start(answer.pieceDelay);
    } else if (socket->bytesToWrite() > 0) {
        return; // the end waits until everything queued has gone out
    } else if (exchange->sent == exchange->size || answer.ending == Answer::Ending::Close) {
        socket->disconnectFromHost();
    } else if (answer.ending == Answer::Ending::Reset) {
        // SO_LINGER with a zero timeout makes the close send a reset instead of a FIN.
        const linger off{1, 0};
        ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &off, sizeof off);
        socket->abort();
    }
}
