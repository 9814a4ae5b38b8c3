#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <utility>

// A small HTTP/1.1 server for tests, on 127.0.0.1 and a port the system picks. Each
// route answers with a canned behaviour, good or bad, and every request is recorded.
// It runs on the test's own event loop and answers one request per connection.
class FaultServer : public QObject
{
    Q_OBJECT
public:
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // How a route answers. The body is `body`, else `generatedSize` bytes made up as
    // they are sent (see generated()), else the contents of `bodyFile`.
    struct Answer
    {
        enum class Ending {
            Close, // close the connection normally
            Reset, // abort it with a TCP reset
            Stall, // keep it open and send nothing more
        };

        int status = 200;
        QByteArray contentType = "text/plain";
        Headers headers{}; // extra headers, such as Location
        QByteArray body{};
        qint64 generatedSize = -1;
        QString bodyFile{};
        bool sendLength = true;                   // send a Content-Length header
        qint64 claimedLength = -1;                // the Content-Length sent; -1: the true length
        std::chrono::milliseconds headerDelay{0}; // wait before the status line
        qint64 pieceSize = 0; // when set, the body goes out in pieces of this size ...
        std::chrono::milliseconds pieceDelay{0}; // ... one every pieceDelay
        qint64 stopAfter = -1; // body bytes sent before `ending`; -1: the whole body
        Ending ending = Ending::Close;
    };

    struct Request
    {
        QByteArray method;
        QByteArray target; // the path and query as sent
        Headers headers;

        QByteArray path() const;
        // The value of the header `name` (any case); empty when absent.
        QByteArray header(const QByteArray& name) const;
    };

    explicit FaultServer(QObject* parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    // The address of `target` (a path, with a query if any) on this server.
    QUrl url(const QByteArray& target) const;
    // Routes are matched on the path alone; unknown paths answer 404.
    void route(const QByteArray& path, const Answer& answer);

    const QList<Request>& requests() const { return m_requests; }
    // Connections that ended, by either side.
    int closedConnections() const { return m_closedConnections; }

    // The bytes of a generated body from `offset` on: a pattern that repeats every 251
    // bytes, so a shifted or dropped piece shows.
    static QByteArray generated(qint64 offset, qint64 size);

private:
    struct Exchange;

    void accept();
    void readRequest(const std::shared_ptr<Exchange>& exchange);
    void sendHead(const std::shared_ptr<Exchange>& exchange);
    void pump(const std::shared_ptr<Exchange>& exchange);
    void end(const std::shared_ptr<Exchange>& exchange);

    QMap<QByteArray, Answer> m_routes;
    QList<Request> m_requests;
    int m_closedConnections = 0;
    QTcpServer m_server; // last: its sockets go before the members they use
};
