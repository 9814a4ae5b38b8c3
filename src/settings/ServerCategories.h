// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

namespace platform {
class Http;
struct HttpResult;
} // namespace platform

// Keeps Categories.dat as the picture server has it. Asked to (after each refresh of
// the picture), it fetches the server's category names, at most once an hour, and
// rewrites the file atomically when the list differs. A server that does not know the question (an
// error, a page, anything but a list of names) leaves the file as it is; so does a fetch that
// fails, which the next update tries again.
class ServerCategories : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 intervalMs = 3600 * 1000;

    ServerCategories(const QString& stateDir, const QString& serverBase, platform::Http& http,
                     QObject* parent = nullptr);

    // Fetches unless an answer came less than an hour ago or a fetch is on its way.
    void update();

signals:
    // Categories.dat now holds `names`; ended() follows.
    void changed(const QStringList& names);
    // A fetch has ended, with a new list or without.
    void ended();

private:
    void answered(const platform::HttpResult& result);
    // The names Categories.dat holds after `result`, when they are new.
    std::optional<QStringList> keep(const platform::HttpResult& result);

    QString m_path;
    QString m_serverBase;
    platform::Http& m_http;
    bool m_fetching = false;
    qint64 m_nextMs = 0; // on the monotonic clock
};
