#include "platform/Http.h"

#include <QNetworkProxy>
#include <QNetworkRequest>

#include <algorithm>

namespace platform {

namespace {
constexpr int maxRedirects = 5;
constexpr std::chrono::milliseconds maxSilence{10000};
} // namespace

Http::Http(QObject* parent) : QObject(parent) {}

Http::~Http()
{
    // Before the manager goes: it deletes its replies, which the transfers still hold.
    abortAll();
}

void Http::setDeadline(std::chrono::milliseconds deadline)
{
    m_deadline = deadline;
}

void Http::getText(const QUrl& url, qint64 maxBytes, const QObject* context, Done done)
{
    Transfer* transfer = start(url, Transfer::Mode::Text, maxBytes, context);
    connect(transfer, &Transfer::finished, context ? context : this, std::move(done));
}

void Http::download(const QUrl& url, const QString& localPath, qint64 maxBytes,
                    const QObject* context, Progress progress, Done done)
{
    Transfer* transfer = start(url, Transfer::Mode::File, maxBytes, context, localPath);
    if (progress)
        connect(transfer, &Transfer::progress, context ? context : this, std::move(progress));
    connect(transfer, &Transfer::finished, context ? context : this, std::move(done));
}

void Http::abortAll()
{
    const auto transfers = findChildren<Transfer*>(Qt::FindDirectChildrenOnly);
    for (Transfer* transfer : transfers)
        transfer->cancel();
}

Transfer* Http::start(const QUrl& url, Transfer::Mode mode, qint64 maxBytes, const QObject* context,
                      const QString& filePath)
{
    auto* transfer = new Transfer(mode, maxBytes, filePath, this);
    if (context)
        connect(context, &QObject::destroyed, transfer, &Transfer::cancel);
    transfer->start(manager(), request(url), m_deadline);
    return transfer;
}

QNetworkAccessManager& Http::manager()
{
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        // A direct connection, as the widget always made: the picture server is often on
        // this machine, and a proxy must not answer for it.
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    return *m_manager;
}

QNetworkRequest Http::request(const QUrl& url) const
{
    QNetworkRequest request(url);
    // Every answer comes from the server itself: the random pick and the current
    // picture change between two requests for the same address.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("artcal/" ARTCAL_VERSION));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    // Qt's idle timeout cuts a silent server. A head (or a chunk's size line) in the making
    // counts as silence, so it also bounds what Qt holds of one that never ends, which it
    // takes in at a few MB/s. Only the transfer's own deadline stops a server that keeps
    // sending a byte of body now and then.
    request.setTransferTimeout(static_cast<int>(std::min(m_deadline, maxSilence).count()));
    return request;
}

} // namespace platform
