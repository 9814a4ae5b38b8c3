#include "platform/NetworkWatch.h"

#include "platform/Logging.h"

#include <QNetworkInformation>
#include <QTimer>

namespace platform {

NetworkWatch::NetworkWatch(QObject* parent) : QObject(parent)
{
    QTimer::singleShot(0, this, &NetworkWatch::load);
}

void NetworkWatch::load()
{
    // NetworkManager's, over the D-Bus connection Qt keeps anyway. The fallback Qt would
    // take, GLib's, brings in GIO: some 2 MiB for a widget that should cost nothing.
    if (!QNetworkInformation::loadBackendByName(u"networkmanager")) {
        qCInfo(lcHttp) << "NetworkManager does not report the network; failed refreshes back off";
        return;
    }
    QNetworkInformation* info = QNetworkInformation::instance();
    m_reachability = int(info->reachability());
    connect(info, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                const bool better =
                    reachability > QNetworkInformation::Reachability::Disconnected &&
                    int(reachability) > m_reachability;
                m_reachability = int(reachability);
                if (better)
                    emit improved();
            });
    connect(info, &QNetworkInformation::isMeteredChanged, this, &NetworkWatch::meteredChanged);
    if (info->isMetered())
        emit meteredChanged(true);
}

} // namespace platform
