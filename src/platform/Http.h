// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HttpResult.h"
#include "platform/Module.h"
#include "platform/NetworkEngine.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

// The widget's one way to fetch over HTTP: a long-lived network engine (loaded with the
// first transfer, see NetworkEngine) and a single request recipe (never from a cache, an
// overall deadline, at most 10 s of silence, redirects to http/https only, a cap on
// every body). Nothing blocks; results arrive on this object's thread.
// Callbacks run only while their `context` lives; destroying the context or this
// object cancels the transfer, and a cancelled download leaves no file behind. Without
// the engine's module every transfer fails, saying so.
class Http : public QObject
{
    Q_OBJECT
public:
    using Done = NetworkEngine::Done;
    using Progress = NetworkEngine::Progress;

    static constexpr std::chrono::milliseconds defaultDeadline{20000};

    // `moduleFolders`: where the engine's module is looked for.
    explicit Http(QObject* parent = nullptr, const QStringList& moduleFolders = Module::folders());
    ~Http() override;

    std::chrono::milliseconds deadline() const { return m_deadline; }
    // Applies to the requests started afterwards.
    void setDeadline(std::chrono::milliseconds deadline);

    // Reads the body until it holds `maxBytes` bytes or ends. An error status is an
    // answer like any other (ok, with its page as the body).
    // `headers` go with the request (a conditional one's If-None-Match).
    void getText(const QUrl& url, qint64 maxBytes, const QObject* context, Done done,
                 const QList<std::pair<QByteArray, QByteArray>>& headers = {});
    // Streams the body into `localPath`, created or truncated. ok only for a 2xx answer
    // that arrived whole and holds at most `maxBytes`; otherwise the file is removed. An
    // address that is not http or https touches no file.
    void download(const QUrl& url, const QString& localPath, qint64 maxBytes,
                  const QObject* context, Progress progress, Done done);
    // Cancels every running transfer: no callback runs, partial files are removed.
    void abortAll();
    // Cancels the transfers started with `context` at once, as its destruction would
    // later: a transfer cut short may take the connections open at that moment with it.
    void cancel(const QObject* context);

    // Starts one GET with the shared recipe: the building block of the calls above and
    // of the page request. The transfer ends silently when `context` is destroyed.
    void start(const QUrl& url, TransferMode mode, qint64 maxBytes, const QObject* context,
               Done done, Progress progress = {}, const QString& filePath = QString(),
               const QList<std::pair<QByteArray, QByteArray>>& headers = {});

private:
    NetworkEngine* engine();

    QStringList m_moduleFolders;
    std::unique_ptr<NetworkEngine> m_engine; // loaded for the first transfer
    QString m_engineError;                   // why it did not load
    std::chrono::milliseconds m_deadline = defaultDeadline;
};

} // namespace platform
