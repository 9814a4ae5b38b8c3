// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Transfer.h"

#include "platform/Logging.h"
#include "platform/NetworkManagers.h"
#include "platform/ServerSockets.h"
#include "platform/WebAddress.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>

namespace platform {

namespace {
// Qt's network thread buffers at most this much ahead of us; large enough to keep a
// loopback transfer streaming, small enough that a slow reader holds little memory.
constexpr qint64 readBufferSize = 1024 * 1024;
constexpr qint64 chunkSize = 256 * 1024;
constexpr qint64 progressIntervalMs = 200;

// QNetworkReply turns 4xx and 5xx statuses into errors of these ranges, yet the answer
// arrived whole and its body is readable: a browser would show that page.
bool isErrorStatus(QNetworkReply::NetworkError error, int status)
{
    const bool content = error >= QNetworkReply::ContentAccessDenied &&
                         error <= QNetworkReply::UnknownContentError &&
                         error != QNetworkReply::ContentReSendError;
    const bool server =
        error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return status >= 400 &&
           (content || server || error == QNetworkReply::ProtocolInvalidOperationError);
}

// An address as logs and messages show it: a user, a password or a query may be a secret
// (a calendar subscription's token).
QString loggable(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toDisplayString();
}

QString describe(QNetworkReply::NetworkError error, const QString& qtText)
{
    switch (error) {
    case QNetworkReply::OperationCanceledError: // what Qt reports when its idle timeout fires
        return QStringLiteral("the transfer stalled");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("too many redirects");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("refused an address that is not http or https");
    default:
        return qtText;
    }
}

// Ends a reply that is no longer wanted, from outside its signals. A reply cut short
// (by us, or by Qt's idle timeout) may still have its answer pouring in: Qt's network
// thread reads the head of an answer (and the size line of a chunk) a byte at a time,
// and goes back to its event loop only once no byte is waiting, so a server that sends
// such lines without end holds that thread, and every later request of its manager waits
// behind it. Its manager is retired, so that later requests go through a fresh one, and
// the connections open at the cut are shut down under it, which ends that read. Qt sends
// again a request of that manager that had no answer yet, on a connection of its own.
void release(QNetworkReply* reply, NetworkManagers& managers, const ServerSockets& cut)
{
    reply->abort();
    // Deleted before its connection goes, so that no error Qt reports on the way reaches it.
    delete reply;
    // After the abort, so that Qt's thread, once free, drops the request rather than
    // sending it again.
    cut.shutDown();
    managers.collect();
}
} // namespace

Transfer::Transfer(Mode mode, qint64 maxBytes, const QString& filePath, QObject* parent)
    : QObject(parent), m_mode(mode), m_maxBytes(std::max<qint64>(maxBytes, 0)), m_file(filePath)
{
    m_deadline.setSingleShot(true);
}

void Transfer::start(NetworkManagers& managers, const QNetworkRequest& request,
                     std::chrono::milliseconds deadline)
{
    m_result.url = request.url();
    if (!isWebAddress(request.url()))
        return settle(QStringLiteral("not an http or https address"));
    if (m_mode == Mode::File) {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return settle(
                QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
        // Only a plain file is ours to remove after a failure, never a device such as
        // /dev/null that a caller may write to.
        m_ownsFile = QFileInfo(m_file.fileName()).isFile();
    }
    m_managers = &managers;
    m_reply = managers.current().get(request);
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Transfer::checkHeaders);
    connect(m_reply, &QNetworkReply::redirected, this, &Transfer::checkRedirect);
    connect(m_reply, &QNetworkReply::readyRead, this, &Transfer::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &Transfer::onFinished);
    // The idle timeout of the request misses a server that trickles; this one does not.
    connect(&m_deadline, &QTimer::timeout, this, [this, deadline] {
        settle(QStringLiteral("no complete answer within %1 ms").arg(deadline.count()));
    });
    m_deadline.start(deadline);
    m_sinceProgress.start();
}

void Transfer::cancel()
{
    if (m_state == State::Done)
        return;
    stop(false);
    m_state = State::Done;
    deleteLater();
}

void Transfer::checkHeaders()
{
    m_result.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // The headers of a redirect that Qt is about to follow are not the answer's.
    if (m_result.status / 100 == 3 && m_reply->hasRawHeader("Location"))
        return;
    m_result.url = m_reply->url();
    m_result.headers = m_reply->rawHeaderPairs();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_total = length.isValid() ? length.toLongLong() : -1;
    if (m_mode == Mode::Text)
        return;
    if (m_total > m_maxBytes)
        return settle(QStringLiteral("the answer of %1 bytes is over the limit of %2")
                          .arg(m_total)
                          .arg(m_maxBytes));
    // Nothing but the file itself is worth writing to disk.
    if (m_mode == Mode::File && m_result.status / 100 != 2)
        settle(QStringLiteral("HTTP status %1").arg(m_result.status));
}

void Transfer::checkRedirect(const QUrl& url)
{
    // A page stands for the picture server's own answer: it may move to https, not away.
    if (!isWebAddress(url) || (m_mode == Mode::Page && url.host() != m_result.url.host()))
        settle(QStringLiteral("refused a redirect to %1").arg(loggable(url)));
}

void Transfer::readBody()
{
    if (m_chunk.isEmpty())
        m_chunk.resize(std::clamp<qint64>(m_maxBytes, 1, chunkSize));
    while (m_state == State::Running && m_reply->bytesAvailable() > 0) {
        const qint64 room = m_maxBytes - m_received;
        if (room == 0) {
            if (m_mode == Mode::Text)
                return settle(QString());
            return settle(
                QStringLiteral("the answer is over the limit of %1 bytes").arg(m_maxBytes));
        }
        const qint64 n = m_reply->read(m_chunk.data(), std::min<qint64>(room, m_chunk.size()));
        if (n <= 0)
            break;
        m_received += n;
        if (m_mode == Mode::Text)
            m_result.body.append(m_chunk.constData(), n);
        else if (m_mode == Mode::File && m_file.write(m_chunk.constData(), n) != n)
            return settle(
                QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
        // A text read has what it wants: the rest of the body is not waited for.
        if (m_mode == Mode::Text && m_received == m_maxBytes)
            return settle(QString());
    }
    reportProgress();
}

void Transfer::reportProgress()
{
    if (m_state != State::Running || m_received == m_reported ||
        (m_received != m_total && !m_sinceProgress.hasExpired(progressIntervalMs)))
        return;
    m_sinceProgress.restart();
    m_reported = m_received;
    // Queued like the result, so no receiver runs inside the reply's own signal.
    QMetaObject::invokeMethod(
        this,
        [this, received = m_received, total = m_total] {
            if (m_state != State::Done)
                emit progress(received, total);
        },
        Qt::QueuedConnection);
}

void Transfer::onFinished()
{
    readBody(); // the end of the body can come with the finished signal
    if (m_state != State::Running)
        return;
    const QNetworkReply::NetworkError error = m_reply->error();
    m_result.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_result.url = m_reply->url();
    if (error != QNetworkReply::NoError && !isErrorStatus(error, m_result.status))
        return settle(describe(error, m_reply->errorString()));
    if (m_total >= 0 && m_received < m_total)
        return settle(
            QStringLiteral("the answer ended after %1 of %2 bytes").arg(m_received).arg(m_total));
    if (m_mode == Mode::File && m_result.status / 100 != 2)
        return settle(QStringLiteral("HTTP status %1").arg(m_result.status));
    settle(QString());
}

void Transfer::settle(const QString& error)
{
    if (m_state != State::Running)
        return;
    m_state = State::Settled;
    m_result.ok = error.isEmpty();
    m_result.error = error;
    stop(m_result.ok);
    if (!m_result.ok)
        qCInfo(lcHttp).noquote() << "GET" << loggable(m_result.url) << "failed:" << error;
    // Reported from the event loop, never from inside a reply's signal: a receiver may
    // then destroy the Http, and with it the network manager, without harm.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_state != State::Settled)
                return;
            m_state = State::Done;
            const HttpResult result = m_result;
            deleteLater();
            emit finished(result);
        },
        Qt::QueuedConnection);
}

void Transfer::stop(bool keepFile)
{
    m_deadline.stop();
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        ServerSockets cut;
        if (!reply->isFinished() || reply->error() == QNetworkReply::OperationCanceledError) {
            m_managers->retire(reply->manager());
            cut = ServerSockets::openTo(reply->url());
        }
        // Qt does not expect a reply to be aborted inside its own signals (it would set a
        // second error): from there, it is released from the event loop. Elsewhere at once,
        // for the network manager may be destroyed next, and it waits for its thread.
        if (sender() == reply)
            QTimer::singleShot(0, reply->manager(), [reply, managers = m_managers, cut] {
                release(reply, *managers, cut);
            });
        else
            release(reply, *m_managers, cut);
    }
    m_file.close();
    if (!keepFile && m_ownsFile) {
        m_file.remove();
        m_ownsFile = false;
    }
}

} // namespace platform
