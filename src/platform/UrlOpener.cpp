// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UrlOpener.h"

#include "platform/Logging.h"
#include "platform/WebAddress.h"

#include <QDesktopServices>

namespace platform {

namespace {
std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> f;
    return f;
}

bool launch(const QUrl& url)
{
    if (opener())
        return opener()(url);
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qCWarning(lcBrowser) << "nothing opened" << url.toString();
    return ok;
}
} // namespace

bool openUrl(const QUrl& url)
{
    if (!isWebAddress(url)) {
        qCWarning(lcBrowser) << "not opening" << url.toString()
                             << ": only http and https pages are opened";
        return false;
    }
    return launch(url);
}

bool openFolder(const QString& path)
{
    return launch(QUrl::fromLocalFile(path));
}

void setUrlOpener(std::function<bool(const QUrl&)> f)
{
    opener() = std::move(f);
}

} // namespace platform
