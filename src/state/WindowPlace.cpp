// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/WindowPlace.h"

#include "state/TextLines.h"

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

} // namespace WindowPlace
