// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/WallpaperState.h"

#include "state/TextLines.h"

namespace {
const QString currentKey = QStringLiteral("current");
}

WallpaperState WallpaperState::read(const QString& path)
{
    const QStringList lines = TextLines::read(path, 64 * 1024).value_or(QStringList());
    WallpaperState state;
    state.follow = TextLines::trimSpaces(lines.value(0)) == u"1";
    for (const QString& line : lines.mid(1)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab <= 0)
            continue;
        const QString key = line.left(tab);
        if (key == currentKey)
            state.current = line.mid(tab + 1);
        else
            state.before[key] << line.mid(tab + 1);
    }
    return state;
}

bool WallpaperState::write(const QString& path, QString* error) const
{
    QStringList lines{QString::number(follow ? 1 : 0)};
    if (!current.isEmpty())
        lines << currentKey + u'\t' + current;
    for (auto desktop = before.begin(); desktop != before.end(); ++desktop) {
        for (const QString& value : desktop.value())
            lines << desktop.key() + u'\t' + value;
    }
    return TextLines::write(path, lines, error);
}
