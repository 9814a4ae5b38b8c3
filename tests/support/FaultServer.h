// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QTcpServer>
#include <QUrl>

#include <chrono>
#include <memory>

// A small HTTP/1.1 server for tests on 127.0.0.1, a port the system picks and the test's
// event loop. Routes answer one request per connection, well or badly; all are recorded.
class FaultServer : public QObject
{
    Q_OBJECT
public:
    // How a route answers. The body is `body`, else `generatedSize` bytes made up as
    // they are sent (see generated()).
    struct Answer
    {
        // How a cut body ends: a normal close, a TCP reset, or an open, silent connection.
        enum class Ending { Close, Reset, Stall };

        int status = 200;
        QByteArray contentType = "text/plain";
        QList<std::pair<QByteArray, QByteArray>> headers{}; // extra ones, such as Location
        QByteArray body{};
        qint64 generatedSize = -1;
        bool sendLength = true;                   // send a Content-Length header
        qint64 claimedLength = -1;                // the Content-Length sent; -1: the true length
        std::chrono::milliseconds headerDelay{0}; // wait before the status line
        qint64 pieceSize = 0; // when set, the body goes out in pieces of this size ...
        std::chrono::milliseconds pieceDelay{0}; // ... one every pieceDelay
        qint64 stopAfter = -1; // body bytes sent before `ending`; -1: the whole body
        Ending ending = Ending::Close;
        bool floodHead = false; // header lines without end follow the status line
    };

    struct Request
    {
        QByteArray target;                      // the path and query as sent
        QMap<QByteArray, QByteArray> headers{}; // by lower-case name: see header()

        QByteArray path() const { return target.split('?').first(); }
        QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
    };

    explicit FaultServer(QObject* parent = nullptr);

    // The address of `target` (a path, with a query if any) on this server.
    QUrl url(const QByteArray& target) const
    {
        return QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(m_server.serverPort()) +
                                 target);
    }
    // Routes are matched on the path alone; unknown paths answer 404.
    void route(const QByteArray& path, const Answer& answer) { m_routes.insert(path, answer); }

    const QList<Request>& requests() const { return m_requests; }
    // Connections that ended, by either side.
    int closedConnections() const { return m_closedConnections; }
    // Bytes handed to the system for all connections so far.
    qint64 sentBytes() const { return m_sentBytes; }

    // Bytes of a generated body from `offset` on: a 251-byte cycle, so shifted bytes show.
    static QByteArray generated(qint64 offset, qint64 size);

private:
    struct Exchange;

    void accept();
    void read(const std::shared_ptr<Exchange>& exchange);
    void pump(const std::shared_ptr<Exchange>& exchange);

    QMap<QByteArray, Answer> m_routes;
    QList<Request> m_requests;
    int m_closedConnections = 0;
    qint64 m_sentBytes = 0;
    QTcpServer m_server; // last: its sockets go before the members they use
};
