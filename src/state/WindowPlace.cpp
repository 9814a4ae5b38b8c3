// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/WindowPlace.h"

#include "state/TextLines.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace WindowPlace {

Place read(const QString& path)
{
    const QStringList lines = TextLines::read(path, 256).value_or(QStringList());
    Place place;
    bool x = false, y = false;
    const QPoint position(lines.value(0).trimmed().toInt(&x), lines.value(1).trimmed().toInt(&y));
    if (x && y)
        place.position = position;
    place.keepAbove = lines.value(2).trimmed() == u"1";
    return place;
}

bool write(const QString& path, const Place& place, QString* error)
{
    QStringList lines;
    if (place.position)
        lines << QString::number(place.position->x()) << QString::number(place.position->y());
    else
        lines << QString() << QString();
    lines << QString::number(place.keepAbove ? 1 : 0);
    return TextLines::write(path, lines, error);
}

bool isSeen(QPoint position, QSize size, const QList<QRect>& screens)
{
    // X11 keeps window coordinates in 16 bits; every screen lies well inside them.
    constexpr qint64 limit = std::numeric_limits<qint16>::max();
    const qint64 right = qint64(position.x()) + size.width();
    const qint64 bottom = qint64(position.y()) + size.height();
    if (std::abs(qint64(position.x())) > limit || std::abs(qint64(position.y())) > limit ||
        right > limit || bottom > limit)
        return false;
    const QPoint centre(int((position.x() + right) / 2), int((position.y() + bottom) / 2));
    return std::any_of(screens.begin(), screens.end(),
                       [&centre](const QRect& screen) { return screen.contains(centre); });
}

} // namespace WindowPlace
