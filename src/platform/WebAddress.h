// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

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

} // namespace platform
