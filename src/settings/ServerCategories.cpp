// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ServerCategories.h"

#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Logging.h"
#include "platform/ServerPaths.h"
#include "settings/CategoryList.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

ServerCategories::ServerCategories(const QString& stateDir, const QString& serverBase,
                                   platform::Http& http, QObject* parent)
    : QObject(parent), m_path(StateFiles::in(stateDir, StateFiles::categories)),
      m_serverBase(serverBase), m_http(http)
{
}

void ServerCategories::update()
{
    if (m_fetching || platform::clock().monotonicMs() < m_nextMs)
        return;
    m_fetching = true;
    // One byte over the limit tells a list that is too long from one that just fits.
    m_http.getText(QUrl(m_serverBase + ServerPaths::categories), CategoryList::maxBytes + 1, this,
                   [this](const platform::HttpResult& result) { answered(result); });
}

void ServerCategories::answered(const platform::HttpResult& result)
{
    m_fetching = false;
    if (const std::optional<QStringList> names = keep(result))
        emit changed(*names);
    emit ended();
}

std::optional<QStringList> ServerCategories::keep(const platform::HttpResult& result)
{
    if (!result.ok) {
        qCInfo(lcState).noquote() << "cannot fetch the server's categories:" << result.error;
        return std::nullopt;
    }
    m_nextMs = platform::clock().monotonicMs() + intervalMs;
    const std::optional<QStringList> names =
        result.status == 200 ? CategoryList::fromAnswer(result.body, result.header("Content-Type"))
                             : std::nullopt;
    if (!names) {
        qCInfo(lcState).noquote() << "the server gives no category list; keeping"
                                  << StateFiles::categories;
        return std::nullopt;
    }
    if (TextLines::read(m_path) == names)
        return std::nullopt;
    QString error;
    if (!TextLines::write(m_path, *names, &error)) {
        qCWarning(lcState) << "cannot write" << m_path << ":" << error;
        return std::nullopt;
    }
    return names;
}
