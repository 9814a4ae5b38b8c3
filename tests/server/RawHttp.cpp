// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawHttp.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {

// The size of the response at the start of `received`, or -1 while it is incomplete.
qsizetype responseSize(const QByteArray& received, bool head)
{
    const qsizetype headSize = received.indexOf("\r\n\r\n") + 4;
    if (headSize < 4)
        return -1;
    static const QRegularExpression contentLength("\r\nContent-Length: (\\d+)\r\n");
    const auto length = contentLength.match(QString::fromLatin1(received.left(headSize)));
    const qsizetype size = headSize + (head ? 0 : length.captured(1).toLongLong());
    return received.size() >= size ? size : -1;
}

} // namespace

QByteArray rawRequest(int port, const QByteArray& target, const QByteArray& method,
                      const QByteArray& headers, const QHostAddress& from, QTcpSocket* keeps)
{
    QTcpSocket closed;
    QTcpSocket& socket = keeps ? *keeps : closed;
    socket.bind(from);
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    socket.write(method + ' ' + target +
                 " HTTP/1.1\r\nHost: localhost:" + QByteArray::number(port) + "\r\n" + headers +
                 (keeps ? "" : "Connection: close\r\n") + "\r\n");
    QByteArray received;
    while (responseSize(received, method == "HEAD") < 0 && socket.waitForReadyRead(10000))
        received += socket.readAll();
    return received.left(responseSize(received, method == "HEAD"));
}

QByteArray bodyOf(const QByteArray& response)
{
    return response.mid(response.indexOf("\r\n\r\n") + 4);
}

RawExchange rawExchange(int port, const QByteArray& bytes, int deadlineMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    socket.write(bytes);
    RawExchange exchange;
    const QDeadlineTimer deadline(deadlineMs);
    while (!deadline.hasExpired()) {
        exchange.received += socket.readAll();
        if (socket.state() == QAbstractSocket::UnconnectedState) {
            exchange.closed = true;
            break;
        }
        socket.waitForReadyRead(int(deadline.remainingTime()));
    }
    return exchange;
}
