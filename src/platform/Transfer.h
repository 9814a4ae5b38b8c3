// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HttpResult.h"
#include "platform/NetworkEngine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>

class QNetworkReply;
class QNetworkRequest;

namespace platform {

class NetworkManagers;

// One GET in flight with the limits every fetch shares: an overall deadline, redirects
// to http/https only, a cap on the body read as it arrives. It reports once, from the
// event loop, and deletes itself afterwards; a cancelled transfer reports nothing.
class Transfer : public QObject
{
    Q_OBJECT
public:
    using Mode = TransferMode;

    // `filePath` is the file a File transfer creates or truncates, and removes on failure.
    Transfer(Mode mode, qint64 maxBytes, const QString& filePath, QObject* parent);

    // Through the managers' current one; `managers` must outlive the transfer's reply.
    void start(NetworkManagers& managers, const QNetworkRequest& request,
               std::chrono::milliseconds deadline);
    // Stops at once without a report; the file of a download is removed.
    void cancel();

signals:
    // At most every few tenths of a second; `total` is -1 when the length is unknown.
    void progress(qint64 received, qint64 total);
    void finished(const platform::HttpResult& result);

private:
    enum class State { Running, Settled, Done };

    void checkHeaders();
    void checkRedirect(const QUrl& url);
    void readBody();
    void reportProgress();
    void onFinished();
    // Ends the transfer with `error` (empty: success) and reports from the event loop.
    void settle(const QString& error);
    void stop(bool keepFile);

    Mode m_mode;
    qint64 m_maxBytes;
    qint64 m_received = 0;
    qint64 m_total = -1;
    qint64 m_reported = 0;
    State m_state = State::Running;
    HttpResult m_result;
    QFile m_file;
    bool m_ownsFile = false;
    QByteArray m_chunk;
    NetworkManagers* m_managers = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QElapsedTimer m_sinceProgress;
};

} // namespace platform
