#include "platform/Http.h"

#include <QNetworkProxy>
#include <QNetworkRequest>

namespace platform {

namespace {
constexpr int maxRedirects = 5;
} // namespace

Http::Http(QObject* parent) : QObject(parent)
{
    // A direct connection, as the widget always made: the picture server is often on
    // this machine, and a proxy must not answer for it.
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

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
    transfer->start(m_manager, request(url), m_deadline);
    return transfer;
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
    // Stalls are cut by Qt's idle timeout too, but only the transfer's own deadline
    // stops a server that keeps sending a byte now and then.
    request.setTransferTimeout(static_cast<int>(m_deadline.count()));
    return request;
}

} // namespace platform
