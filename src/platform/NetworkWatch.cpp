// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkWatch.h"

#include "platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

namespace platform {

namespace {
const QString service = u"org.freedesktop.NetworkManager"_s;
const QString path = u"/org/freedesktop/NetworkManager"_s;
const QString properties = u"org.freedesktop.DBus.Properties"_s;
// NMState: below this the machine reaches no network at all.
constexpr uint connectedLocal = 50;

// NMMetered: 1 yes and 3 guess-yes; 0 unknown, 2 no and 4 guess-no are not metered.
bool meteredValue(uint metered)
{
    return metered == 1 || metered == 3;
}
} // namespace

NetworkWatch::NetworkWatch(QDBusConnection::BusType bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    QTimer::singleShot(0, this, &NetworkWatch::load);
}

void NetworkWatch::load()
{
    QDBusConnection bus = m_bus == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                                              : QDBusConnection::sessionBus();
    const auto unreported = [] {
        qCInfo(lcHttp) << "NetworkManager does not report the network; failed refreshes back off";
    };
    if (!bus.isConnected())
        return unreported();
    bus.connect(service, path, properties, u"PropertiesChanged"_s, this,
                SLOT(propertiesChanged(QString, QVariantMap)));
    QDBusMessage getAll = QDBusMessage::createMethodCall(service, path, properties, u"GetAll"_s);
    getAll << service;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(getAll), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, unreported](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                const QDBusPendingReply<QVariantMap> reply = *watcher;
                if (reply.isError())
                    return unreported();
                // The state found at the start is the one later changes are measured by.
                m_state = reply.value().value(u"State"_s, m_state).toUInt();
                apply(reply.value());
            });
}

void NetworkWatch::propertiesChanged(const QString& interface, const QVariantMap& changed)
{
    if (interface == service)
        apply(changed);
}

void NetworkWatch::apply(const QVariantMap& properties)
{
    if (const auto state = properties.find(u"State"_s); state != properties.end()) {
        const uint now = state->toUInt();
        const bool better = now >= connectedLocal && now > m_state;
        m_state = now;
        if (better)
            emit improved();
        // 0 is a state NetworkManager does not know: nothing is said of it.
        const bool offline = now > 0 && now < connectedLocal;
        if (std::exchange(m_offline, offline) != offline)
            emit offlineChanged(offline);
    }
    if (const auto metered = properties.find(u"Metered"_s); metered != properties.end()) {
        if (std::exchange(m_metered, meteredValue(metered->toUInt())) != m_metered)
            emit meteredChanged(m_metered);
    }
}

} // namespace platform
