#pragma once

#include <QUrl>

namespace platform {

// The only addresses the widget fetches or opens: valid http or https addresses with
// a host.
inline bool isWebAddress(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"http" || url.scheme() == u"https");
}

} // namespace platform
