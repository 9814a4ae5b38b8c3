#include "FaultServer.h"

#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <algorithm>

namespace {
constexpr qint64 patternPeriod = 251;
constexpr qint64 maxChunk = 64 * 1024;
// Queued in the socket at most; more waits for bytesWritten, so a huge body is never
// held in memory at once.
constexpr qint64 highWater = 256 * 1024;
constexpr qint64 maxHeadSize = 64 * 1024;

qint64 bodySize(const FaultServer::Answer& answer)
{
    if (!answer.body.isEmpty())
        return answer.body.size();
    if (answer.generatedSize >= 0)
        return answer.generatedSize;
    if (!answer.bodyFile.isEmpty())
        return QFileInfo(answer.bodyFile).size();
    return 0;
}

// SO_LINGER with a zero timeout makes the close send a reset instead of a FIN.
void reset(QTcpSocket* socket)
{
    const linger immediate{1, 0};
    ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &immediate,
                 sizeof immediate);
    socket->abort();
}

FaultServer::Request parseHead(const QByteArray& head)
{
    FaultServer::Request request;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.append(
                {lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    return request;
}
} // namespace

struct FaultServer::Exchange
{
    QTcpSocket* socket = nullptr;
    QByteArray incoming;
    bool answering = false;
    bool headSent = false;
    bool waiting = false; // for the next piece
    bool ended = false;
    Answer answer;
    qint64 size = 0;
    qint64 sent = 0;
    std::unique_ptr<QFile> file;

    QByteArray nextBytes(qint64 n)
    {
        if (!answer.body.isEmpty())
            return answer.body.mid(sent, n);
        if (answer.generatedSize >= 0)
            return FaultServer::generated(sent, n);
        return file ? file->read(n) : QByteArray();
    }
};

QByteArray FaultServer::Request::path() const
{
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

QByteArray FaultServer::Request::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

FaultServer::FaultServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &FaultServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl FaultServer::url(const QByteArray& target) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()) +
                QString::fromLatin1(target));
}

void FaultServer::route(const QByteArray& path, const Answer& answer)
{
    m_routes.insert(path, answer);
}

QByteArray FaultServer::generated(qint64 offset, qint64 size)
{
    static const QByteArray pattern = [] {
        QByteArray bytes(maxChunk + patternPeriod, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i % patternPeriod);
        return bytes;
    }();
    QByteArray bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const qint64 n = std::min(size - bytes.size(), maxChunk);
        bytes.append(pattern.constData() + (offset + bytes.size()) % patternPeriod, n);
    }
    return bytes;
}

void FaultServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto exchange = std::make_shared<Exchange>();
        exchange->socket = socket;
        // Head and body go out in separate writes: without this, Nagle's algorithm and
        // the client's delayed ACK hold the body back some 40 ms.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, socket,
                [this, exchange] { readRequest(exchange); });
        connect(socket, &QTcpSocket::bytesWritten, socket, [this, exchange] { pump(exchange); });
        connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            ++m_closedConnections;
            socket->deleteLater();
        });
    }
}

void FaultServer::readRequest(const std::shared_ptr<Exchange>& exchange)
{
    QTcpSocket* socket = exchange->socket;
    exchange->incoming += socket->readAll();
    if (exchange->answering) // one request per connection: the rest is ignored
        return;
    const qsizetype headEnd = exchange->incoming.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (exchange->incoming.size() > maxHeadSize)
            socket->abort();
        return;
    }
    exchange->answering = true;
    const Request request = parseHead(exchange->incoming.left(headEnd));
    m_requests.append(request);
    exchange->answer =
        m_routes.value(request.path(), Answer{.status = 404, .body = "no such route"});
    exchange->size = bodySize(exchange->answer);
    QTimer::singleShot(exchange->answer.headerDelay, socket,
                       [this, exchange] { sendHead(exchange); });
}

void FaultServer::sendHead(const std::shared_ptr<Exchange>& exchange)
{
    const Answer& answer = exchange->answer;
    if (!answer.bodyFile.isEmpty() && answer.body.isEmpty() && answer.generatedSize < 0) {
        exchange->file = std::make_unique<QFile>(answer.bodyFile);
        if (!exchange->file->open(QIODevice::ReadOnly))
            qFatal("FaultServer: cannot read %s", qPrintable(answer.bodyFile));
    }
    // Clients go by the code; the reason phrase is free text.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                      " Answer\r\nContent-Type: " + answer.contentType + "\r\n";
    if (answer.sendLength) {
        const qint64 length = answer.claimedLength >= 0 ? answer.claimedLength : exchange->size;
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    for (const auto& [name, value] : answer.headers)
        head += name + ": " + value + "\r\n";
    head += "Connection: close\r\n\r\n";
    exchange->socket->write(head);
    exchange->headSent = true;
    pump(exchange);
}

void FaultServer::pump(const std::shared_ptr<Exchange>& exchange)
{
    if (!exchange->headSent || exchange->waiting || exchange->ended)
        return;
    QTcpSocket* socket = exchange->socket;
    const Answer& answer = exchange->answer;
    const qint64 limit =
        answer.stopAfter >= 0 ? std::min(answer.stopAfter, exchange->size) : exchange->size;
    const auto sendNext = [&](qint64 most) {
        const QByteArray bytes = exchange->nextBytes(std::min(most, limit - exchange->sent));
        exchange->sent += bytes.size();
        socket->write(bytes);
        return !bytes.isEmpty();
    };
    if (answer.pieceSize > 0 && exchange->sent < limit) {
        sendNext(answer.pieceSize);
        exchange->waiting = true;
        QTimer::singleShot(answer.pieceDelay, socket, [this, exchange] {
            exchange->waiting = false;
            pump(exchange);
        });
        return;
    }
    while (exchange->sent < limit && socket->state() == QAbstractSocket::ConnectedState &&
           socket->bytesToWrite() < highWater) {
        if (!sendNext(maxChunk))
            break;
    }
    // The end waits until everything queued has gone out; bytesWritten calls again.
    if (exchange->sent >= limit && socket->bytesToWrite() == 0)
        end(exchange);
}

void FaultServer::end(const std::shared_ptr<Exchange>& exchange)
{
    exchange->ended = true;
    const bool cut = exchange->sent < exchange->size;
    switch (cut ? exchange->answer.ending : Answer::Ending::Close) {
    case Answer::Ending::Close:
        exchange->socket->disconnectFromHost();
        break;
    case Answer::Ending::Reset:
        reset(exchange->socket);
        break;
    case Answer::Ending::Stall:
        break;
    }
}
