// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QNetworkCookieJar>

class QNetworkAccessManager;

namespace platform {

// The network manager new requests go through, and the ones retired before it. A
// transfer cut while its answer pours in retires the manager it ran on: its connections
// are shut down under it (see ServerSockets), and a request sent after that must not
// share them, nor wait behind Qt's network thread of that manager. Every manager keeps
// its cookies in one jar, so a server's cookies outlive the manager that took them.
class NetworkManagers
{
public:
    NetworkManagers();
    ~NetworkManagers();
    NetworkManagers(const NetworkManagers&) = delete;
    NetworkManagers& operator=(const NetworkManagers&) = delete;

    QNetworkAccessManager& current();
    // Later requests go through a fresh manager; `manager` goes once its replies have.
    void retire(QNetworkAccessManager* manager);
    // Deletes, soon, the retired managers that have no reply left.
    void collect();

private:
    QNetworkCookieJar m_jar;
    QNetworkAccessManager* m_current = nullptr; // made for the first request after a retire
    QList<QNetworkAccessManager*> m_retired;
    QObject m_leaving; // the retired managers without replies, until they are deleted
};

} // namespace platform
