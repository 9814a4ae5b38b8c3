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
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        qCInfo(lcHttp) << "the system does not report the network; failed refreshes back off";
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
