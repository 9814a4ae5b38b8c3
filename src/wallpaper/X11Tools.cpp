// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/X11Tools.h"

#include "wallpaper/DesktopTools.h"

#include <QFileInfo>

namespace wallpaper {

X11Tools::X11Tools(const QString& program, QObject* context, std::chrono::milliseconds limit)
    : Desktop(context, limit), m_program(program), m_name(QFileInfo(program).fileName())
{
}

void X11Tools::show(const QString& path, Done done)
{
    const QStringList arguments = m_name == u"feh" ? QStringList{QStringLiteral("--bg-fill"), path}
                                                   : QStringList{QStringLiteral("--set-zoom-fill"),
                                                                 QStringLiteral("--save"), path};
    runTools({{m_program, arguments}}, limit(), context(),
             [done](const QStringList&, const QString& problem) { done(problem); });
}

void X11Tools::restore(const QStringList&, Done done)
{
    done(QStringLiteral("%1 cannot tell which wallpaper was there before").arg(m_name));
}

} // namespace wallpaper
