// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/WindowPlace.h"

#include "state/TextLines.h"

#include <algorithm>
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

QPoint placeOn(QPoint position, QSize size, const QList<QRect>& screens)
{
    // X11 keeps window coordinates in 16 bits; every screen lies well inside them.
    constexpr int limit = std::numeric_limits<qint16>::max();
    const QRect wanted(std::clamp(position.x(), -limit, limit - size.width()),
                       std::clamp(position.y(), -limit, limit - size.height()), size.width(),
                       size.height());
    if (screens.isEmpty() ||
        std::any_of(screens.begin(), screens.end(),
                    [&wanted](const QRect& screen) { return screen.contains(wanted); }))
        return wanted.topLeft();
    // The nearest screen: the one its centre is on, or closest to.
    const QPoint centre = wanted.center();
    const auto distance = [&centre](const QRect& screen) {
        const qint64 dx = std::max({screen.left() - centre.x(), 0, centre.x() - screen.right()});
        const qint64 dy = std::max({screen.top() - centre.y(), 0, centre.y() - screen.bottom()});
        return dx * dx + dy * dy;
    };
    const QRect screen = *std::min_element(
        screens.begin(), screens.end(),
        [&distance](const QRect& a, const QRect& b) { return distance(a) < distance(b); });
    // Its top-left corner stays on the screen when the window is larger than the screen.
    return {std::max(screen.left(), std::min(wanted.left(), screen.right() + 1 - size.width())),
            std::max(screen.top(), std::min(wanted.top(), screen.bottom() + 1 - size.height()))};
}

} // namespace WindowPlace
