// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// Where the window was put and whether it stays above other windows, in a file of the
// widget's own (the window file: x, y, keep above as 0 or 1, a line each), never in
// the settings file, whose two lines other tools may read.
namespace WindowPlace {

struct Place
{
    std::optional<QPoint> position; // none until the window was placed
    bool keepAbove = false;
};

// A missing or damaged file reads as no place and not above.
Place read(const QString& path);
bool write(const QString& path, const Place& place, QString* error = nullptr);

// Where a window of `size` saved at `position` opens: there when it lies wholly on one of
// `screens`, else as near as it can be while wholly on the screen nearest to it, so that
// none of its buttons is out of reach. A place past the coordinates' range (it would
// wrap) is brought in first.
QPoint placeOn(QPoint position, QSize size, const QList<QRect>& screens);

} // namespace WindowPlace
