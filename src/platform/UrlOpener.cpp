#include "platform/UrlOpener.h"

#include <QDesktopServices>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcBrowser, "artcal.browser")

namespace platform {

namespace {
std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> f;
    return f;
}
} // namespace

bool openUrl(const QUrl& url)
{
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https")) {
        qCWarning(lcBrowser) << "not opening" << url.toString()
                             << ": only http and https pages are opened";
        return false;
    }
    if (opener())
        return opener()(url);
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qCWarning(lcBrowser) << "no browser opened" << url.toString();
    return ok;
}

void setUrlOpener(std::function<bool(const QUrl&)> f)
{
    opener() = std::move(f);
}

} // namespace platform
