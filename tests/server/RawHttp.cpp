#include "RawHttp.h"

#include <QElapsedTimer>
#include <QTcpSocket>

namespace {

constexpr int timeoutMs = 10000;

// The response parsed so far; complete once the head and the announced body are in.
bool parse(const QByteArray& received, bool head, RawResponse& response)
{
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    const QList<QByteArray> lines = received.left(headEnd).split('\n');
    response.status = lines.value(0).split(' ').value(1).toInt();
    response.headers.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            response.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                    lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = head ? 0 : response.headers.value("content-length").toLongLong();
    response.body = received.mid(headEnd + 4, length);
    response.extra = received.mid(headEnd + 4 + length);
    return response.body.size() == length;
}

} // namespace

RawResponse rawExchange(int port, const QByteArray& request, const QHostAddress& from, int lingerMs)
{
    RawResponse response;
    QTcpSocket socket;
    if (!socket.bind(from)) {
        qWarning("cannot bind to %s", qPrintable(from.toString()));
        return response;
    }
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(timeoutMs))
        return response;
    socket.write(request);
    const bool head = request.startsWith("HEAD ");
    QByteArray received;
    while (!parse(received, head, response) && socket.waitForReadyRead(timeoutMs))
        received += socket.readAll();
    QElapsedTimer linger;
    linger.start();
    while (linger.elapsed() < lingerMs && socket.waitForReadyRead(lingerMs - linger.elapsed()))
        received += socket.readAll();
    parse(received, head, response);
    return response;
}

RawResponse rawRequest(int port, const QByteArray& target, const QByteArray& method,
                       const QHostAddress& from)
{
    return rawExchange(port,
                       method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                           QByteArray::number(port) + "\r\nConnection: close\r\n\r\n",
                       from);
}
