// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/PlasmaDesktop.h"

#include "wallpaper/DesktopTools.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace wallpaper {

namespace {

// Every desktop's image settings, then `body` for each desktop `d` (its index `i`).
QString forEachDesktop(const QString& body)
{
    return QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; ++i) {\n"
                          "    var d = all[i];\n"
                          "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
                          "%1"
                          "    print(d.readConfig('Image') + '\\n');\n"
                          "}\n")
        .arg(body);
}

// `values` as a script's array literal: JSON, which escapes whatever a path holds.
QString scriptArray(const QStringList& values)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
}

} // namespace

void PlasmaDesktop::evaluate(const QString& script, Values done)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << script;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return done({}, QStringLiteral("there is no session bus to reach the Plasma shell"));
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call, static_cast<int>(limit().count())), context());
    const std::chrono::milliseconds within = limit();
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context(), [done, within](auto* watcher) {
            watcher->deleteLater();
            const QDBusPendingReply<QString> reply = *watcher;
            if (!reply.isError())
                return done(reply.value().split(u'\n', Qt::SkipEmptyParts), {});
            const QDBusError error = reply.error();
            if (error.message().contains(QStringLiteral("locked"), Qt::CaseInsensitive))
                return done({}, QStringLiteral("Plasma's widgets are locked; unlock them "
                                               "(right click on the desktop) and try again"));
            if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
                return done(
                    {},
                    QStringLiteral("the Plasma shell did not answer %1").arg(withinLimit(within)));
            if (error.type() == QDBusError::ServiceUnknown)
                return done({}, QStringLiteral("the Plasma shell is not running"));
            done({}, QStringLiteral("the Plasma shell refused: %1").arg(error.message()));
        });
}

void PlasmaDesktop::read(Values done)
{
    evaluate(forEachDesktop({}), done);
}

void PlasmaDesktop::show(const QString& path, Done done)
{
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    // FillMode 2: scaled and cropped, to cover the screen.
    const QString script =
        QStringLiteral("var image = %1[0];\n").arg(scriptArray({uri})) +
        forEachDesktop(QStringLiteral("    d.wallpaperPlugin = 'org.kde.image';\n"
                                      "    d.writeConfig('Image', image);\n"
                                      "    d.writeConfig('FillMode', 2);\n"));
    evaluate(script, [done, uri](const QStringList& shown, const QString& problem) {
        if (!problem.isEmpty())
            return done(problem);
        if (shown.isEmpty())
            return done(QStringLiteral("the Plasma shell has no desktop to set"));
        for (const QString& image : shown) {
            if (image != uri)
                return done(
                    QStringLiteral("a Plasma desktop shows %1 after it was set").arg(image));
        }
        done({});
    });
}

void PlasmaDesktop::restore(const QStringList& values, Done done)
{
    // Desktops past those remembered take the first one's image.
    const QString script =
        QStringLiteral("var images = %1;\n").arg(scriptArray(values)) +
        forEachDesktop(QStringLiteral("    d.writeConfig('Image', images[Math.min(i, "
                                      "images.length - 1)]);\n"));
    evaluate(script, [done](const QStringList&, const QString& problem) { done(problem); });
}

} // namespace wallpaper
