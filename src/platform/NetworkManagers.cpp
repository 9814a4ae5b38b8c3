// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NetworkManagers.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

namespace platform {

namespace {
constexpr int deleteAfterMs = 2000;

bool hasReplies(const QNetworkAccessManager* manager)
{
    return manager->findChild<QNetworkReply*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}
} // namespace

NetworkManagers::NetworkManagers() = default;

NetworkManagers::~NetworkManagers()
{
    delete m_current;
    qDeleteAll(m_retired);
}

QNetworkAccessManager& NetworkManagers::current()
{
    if (!m_current) {
        m_current = new QNetworkAccessManager;
        // A direct connection, as the widget always made: the picture server is often on
        // this machine, and a proxy must not answer for it.
        m_current->setProxy(QNetworkProxy::NoProxy);
        m_current->setCookieJar(&m_jar);
        m_jar.setParent(nullptr); // shared: the manager must not delete it
    }
    return *m_current;
}

void NetworkManagers::retire(QNetworkAccessManager* manager)
{
    if (manager != m_current)
        return; // retired already
    m_current = nullptr;
    m_retired.append(manager);
}

void NetworkManagers::collect()
{
    for (qsizetype i = m_retired.size() - 1; i >= 0; --i) {
        if (hasReplies(m_retired[i]))
            continue;
        // Deleting a manager waits for its network thread, which may still be reading
        // what a hostile server sent (a few hundred ms, measured): later, not now.
        QNetworkAccessManager* manager = m_retired.takeAt(i);
        manager->setParent(&m_leaving);
        QTimer::singleShot(deleteAfterMs, manager, &QObject::deleteLater);
    }
}

} // namespace platform
