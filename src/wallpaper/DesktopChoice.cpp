// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/DesktopChoice.h"

#include "wallpaper/GSettingsDesktop.h"
#include "wallpaper/PlasmaDesktop.h"
#include "wallpaper/X11Tools.h"
#include "wallpaper/XfceDesktop.h"

#include <QStandardPaths>

namespace wallpaper {

std::unique_ptr<Desktop> chooseDesktop(const QString& currentDesktop, bool x11, QObject* context,
                                       std::chrono::milliseconds limit, QString* why)
{
    using Family = GSettingsDesktop::Family;
    for (const QString& element : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        const QString name = element.toUpper();
        if (name == u"GNOME" || name == u"UNITY" || name == u"BUDGIE")
            return std::make_unique<GSettingsDesktop>(Family::Gnome, context, limit);
        if (name == u"MATE")
            return std::make_unique<GSettingsDesktop>(Family::Mate, context, limit);
        if (name == u"X-CINNAMON" || name == u"CINNAMON")
            return std::make_unique<GSettingsDesktop>(Family::Cinnamon, context, limit);
        if (name == u"KDE")
            return std::make_unique<PlasmaDesktop>(context, limit);
        if (name == u"XFCE")
            return std::make_unique<XfceDesktop>(context, limit);
    }
    if (x11) {
        for (const char* tool : {"feh", "nitrogen"}) {
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool));
            if (!path.isEmpty())
                return std::make_unique<X11Tools>(path, context, limit);
        }
    }
    *why = QStringLiteral("artcal cannot set the wallpaper on this desktop");
    if (x11)
        *why += QStringLiteral(" (install feh or nitrogen)");
    return nullptr;
}

} // namespace wallpaper
