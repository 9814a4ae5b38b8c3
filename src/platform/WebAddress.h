// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

namespace platform {

// The only addresses the widget fetches or opens: valid http or https addresses with
// a host.
inline bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"http" || url.scheme() == u"https");
}

// The scheme, host and port of `url`, as a user would name the server it points at.
inline QString siteOf(const QUrl& url)
{
    return url
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toString();
}

// A picture's address asking for it at `size` (device pixels): a picture server that
// knows the query sends it scaled to cover that size, one that does not sends the file
// itself. Only a fetch carries it: records keep the picture's own address.
inline QString sizedPictureUrl(const QString& pictureUrl, QSize size)
{
    QUrl url(pictureUrl);
    if (size.isEmpty())
        return pictureUrl;
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("w"), QString::number(size.width()));
    query.addQueryItem(QStringLiteral("h"), QString::number(size.height()));
    url.setQuery(query);
    return url.toString();
}

} // namespace platform
