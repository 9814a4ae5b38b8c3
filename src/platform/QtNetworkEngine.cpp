// SPDX-License-Identifier: GPL-3.0-or-later
// The network module: Qt Network behind NetworkEngine, with the request recipe every
// transfer of the widget shares.
#include "platform/NetworkEngine.h"
#include "platform/NetworkManagers.h"
#include "platform/Transfer.h"

#include <QNetworkRequest>

#include <algorithm>

namespace platform {

namespace {
constexpr int maxRedirects = 5;
constexpr std::chrono::milliseconds maxSilence{10000};
// How long a connection stays open after its last answer: the requests of one refresh
// follow each other well within it. Qt's default, two minutes, would wake the widget
// once more long after its work is done.
constexpr int idleConnectionSeconds = 5;

class QtNetworkEngine final : public NetworkEngine
{
public:
    QObject* start(const Request& request, QObject* owner, const QObject* context,
                   Progress progress, Done done) override
    {
        auto* transfer = new Transfer(request.mode, request.maxBytes, request.filePath, owner);
        const QObject* receiver = context ? context : owner;
        if (context)
            QObject::connect(context, &QObject::destroyed, transfer, &Transfer::cancel);
        if (progress)
            QObject::connect(transfer, &Transfer::progress, receiver, std::move(progress));
        QObject::connect(transfer, &Transfer::finished, receiver, std::move(done));
        transfer->start(m_managers, recipe(request), request.deadline);
        return transfer;
    }

    void cancel(QObject* transfer) override { static_cast<Transfer*>(transfer)->cancel(); }

private:
    static QNetworkRequest recipe(const Request& from)
    {
        QNetworkRequest request(from.url);
        // Every answer comes from the server itself: the random pick and the current
        // picture change between two requests for the same address.
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setRawHeader("Cache-Control", "no-cache");
        request.setRawHeader("Pragma", "no-cache");
        request.setHeader(QNetworkRequest::UserAgentHeader,
                          QStringLiteral("artcal/" ARTCAL_VERSION));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(maxRedirects);
        request.setAttribute(QNetworkRequest::ConnectionCacheExpiryTimeoutSecondsAttribute,
                             idleConnectionSeconds);
        for (const auto& [name, value] : from.headers)
            request.setRawHeader(name, value);
        // Qt's idle timeout cuts a silent server. A head (or a chunk's size line) in the
        // making counts as silence, so it also bounds what Qt holds of one that never ends,
        // which it takes in at a few MB/s. Only the transfer's own deadline stops a server
        // that keeps sending a byte of body now and then.
        request.setTransferTimeout(static_cast<int>(std::min(from.deadline, maxSilence).count()));
        return request;
    }

    NetworkManagers m_managers;
};

class QtNetworkEngineFactory final : public QObject, public NetworkEngineFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ARTCAL_NETWORK_ENGINE_IID FILE "Module.json")
    Q_INTERFACES(platform::NetworkEngineFactory)

public:
    std::unique_ptr<NetworkEngine> make() override { return std::make_unique<QtNetworkEngine>(); }
};
} // namespace

} // namespace platform

#include "QtNetworkEngine.moc"
