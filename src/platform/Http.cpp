// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Http.h"

#include "platform/Logging.h"

#include <QTimer>
#include <QVariant>

namespace platform {

namespace {
// The context a transfer was started with, kept on the transfer.
constexpr char contextProperty[] = "artcalContext";
} // namespace

Http::Http(QObject* parent, const QStringList& moduleFolders)
    : QObject(parent), m_moduleFolders(moduleFolders)
{
}

Http::~Http()
{
    // Before the engine goes: its manager deletes its replies, which the transfers hold.
    abortAll();
}

void Http::setDeadline(std::chrono::milliseconds deadline)
{
    m_deadline = deadline;
}

void Http::getText(const QUrl& url, qint64 maxBytes, const QObject* context, Done done,
                   const QList<std::pair<QByteArray, QByteArray>>& headers)
{
    start(url, TransferMode::Text, maxBytes, context, std::move(done), {}, {}, headers);
}

void Http::download(const QUrl& url, const QString& localPath, qint64 maxBytes,
                    const QObject* context, Progress progress, Done done)
{
    start(url, TransferMode::File, maxBytes, context, std::move(done), std::move(progress),
          localPath);
}

void Http::abortAll()
{
    cancel(nullptr);
}

void Http::cancel(const QObject* context)
{
    if (!m_engine)
        return;
    const auto transfers = findChildren<QObject*>(Qt::FindDirectChildrenOnly);
    for (QObject* transfer : transfers) {
        if (!context || transfer->property(contextProperty).value<quintptr>() == quintptr(context))
            m_engine->cancel(transfer);
    }
}

void Http::start(const QUrl& url, TransferMode mode, qint64 maxBytes, const QObject* context,
                 Done done, Progress progress, const QString& filePath,
                 const QList<std::pair<QByteArray, QByteArray>>& headers)
{
    if (NetworkEngine* network = engine()) {
        QObject* transfer = network->start({url, mode, maxBytes, filePath, m_deadline, headers},
                                           this, context, std::move(progress), std::move(done));
        transfer->setProperty(contextProperty, QVariant::fromValue(quintptr(context)));
        return;
    }
    // Reported from the event loop, as any transfer's end.
    HttpResult failed;
    failed.error = m_engineError;
    failed.url = url;
    QTimer::singleShot(0, context ? context : this,
                       [done = std::move(done), failed] { done(failed); });
}

NetworkEngine* Http::engine()
{
    // Tried again by every transfer until it loads, so that a module put back is used
    // from the next refresh on; the same failure is logged once.
    if (!m_engine) {
        QString error;
        m_engine = NetworkEngine::load(m_moduleFolders, &error);
        if (!m_engine && error != m_engineError)
            qCWarning(lcHttp).noquote() << "no network:" << error;
        m_engineError = error;
    }
    return m_engine.get();
}

} // namespace platform
