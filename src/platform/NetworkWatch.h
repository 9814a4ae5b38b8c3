// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

namespace platform {

// What NetworkManager says of the network, asked over D-Bus (the system bus unless told
// otherwise) rather than through Qt's network information, which loads every plugin of
// its folder, GLib's with GIO among them, for a widget that should cost nothing. Without
// NetworkManager nothing is ever reported. It connects once the event loop runs, not
// before the first frame.
class NetworkWatch : public QObject
{
    Q_OBJECT
public:
    explicit NetworkWatch(QDBusConnection::BusType bus = QDBusConnection::SystemBus,
                          QObject* parent = nullptr);

signals:
    // The network can reach more than before: online again, or out of a local network.
    void improved();
    void meteredChanged(bool metered);
    // The machine reaches no network at all, or does again.
    void offlineChanged(bool offline);

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed);

private:
    void load();
    void apply(const QVariantMap& properties);

    QDBusConnection::BusType m_bus;
    uint m_state = 0; // NetworkManager's NMState: 70 is online
    bool m_metered = false;
    bool m_offline = false;
};

} // namespace platform
