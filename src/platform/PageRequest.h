// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QUrl>

namespace platform {

class Http;

// Stands in for the embedded browser that asked the picture server for a random pick:
// a GET that bypasses caches, throws its body away as it arrives and reports the
// address it reached. Each navigation reports for itself; callers match addresses.
class PageRequest : public QObject
{
    Q_OBJECT
public:
    // A page larger than this is no page of the picture server.
    static constexpr qint64 maxPageBytes = 1024 * 1024;

    // `http` must outlive this object.
    explicit PageRequest(Http& http, QObject* parent = nullptr);

    void navigate(const QUrl& url);

signals:
    // Any answer that arrived whole, whatever its status (a browser shows error pages
    // too), for the address asked for; redirects may lead within its host only.
    void navigateComplete(const QUrl& requested);
    void navigateFailed(const QUrl& requested, const QString& error);

private:
    Http& m_http;
};

} // namespace platform
