// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcon.h"

#include <QPainter>
#include <QPolygonF>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {
// The icon: a calendar page with a small landscape over a row of days, today in red.
// Coordinates are on a 32 × 32 grid; each shape is drawn in this order.
struct Shape
{
    enum Kind { Rect, Ellipse, Polygon } kind;
    QPolygonF points; // Rect, Ellipse: top-left and bottom-right corners
    QColor fill;      // or Qt::transparent
    qreal radius = 0;
    QColor outline = {}; // one grid unit wide, inside the shape; none when invalid
};

const QColor dark(59, 59, 59);
const QColor red(208, 64, 47);
const QList<Shape> iconShapes = {
    {Shape::Rect, {{2, 4}, {30, 30}}, QColor(251, 251, 247), 3},  // the page
    {Shape::Rect, {{2, 4}, {30, 11}}, red, 3},                    // the month band
    {Shape::Rect, {{2, 8}, {30, 11}}, red},                       // ... square below
    {Shape::Rect, {{6, 13}, {26, 22}}, QColor(111, 168, 220)},    // the picture's sky
    {Shape::Ellipse, {{19, 14}, {23, 18}}, QColor(255, 211, 77)}, // its sun
    {Shape::Polygon,                                              // its hills
     {{6, 22}, {6, 18}, {11, 16}, {16, 19}, {21, 17}, {26, 19}, {26, 22}},
     QColor(76, 154, 76)},
    {Shape::Rect, {{6, 24}, {8, 26}}, dark},                     // days
    {Shape::Rect, {{10, 24}, {12, 26}}, dark},                   //
    {Shape::Rect, {{14, 24}, {16, 26}}, dark},                   //
    {Shape::Rect, {{18, 24}, {20, 26}}, red},                    // today
    {Shape::Rect, {{22, 24}, {24, 26}}, dark},                   //
    {Shape::Rect, {{2, 4}, {30, 30}}, Qt::transparent, 3, dark}, // the page's edge
    {Shape::Rect, {{9, 1}, {11, 7}}, dark, 1},                   // the rings
    {Shape::Rect, {{21, 1}, {23, 7}}, dark, 1},                  //
};

} // namespace

namespace AppIcon {

// Every corner lands on a whole pixel and an edge is at least one pixel wide, so the
// page stays crisp down to 16 px.
QImage paint(int size)
{
    const qreal k = size / 32.0;
    QPolygonF snapped;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (const Shape& shape : iconShapes) {
        snapped.clear();
        for (const QPointF& point : shape.points)
            snapped << QPointF(qRound(point.x() * k), qRound(point.y() * k));
        QRectF r(snapped.value(0), snapped.value(1));
        qreal radius = shape.radius * k;
        if (shape.outline.isValid()) {
            const qreal width = qMax(1, qRound(k));
            p.setPen(QPen(shape.outline, width));
            r.adjust(width / 2, width / 2, -width / 2, -width / 2);
            radius -= width / 2;
        } else {
            p.setPen(Qt::NoPen);
        }
        p.setBrush(shape.fill);
        if (shape.kind == Shape::Rect)
            p.drawRoundedRect(r, radius, radius);
        else if (shape.kind == Shape::Ellipse)
            p.drawEllipse(r);
        else
            p.drawPolygon(snapped);
    }
    return image;
}

QByteArray svg()
{
    QByteArray svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
           "viewBox=\"0 0 32 32\">\n";
    for (const Shape& shape : iconShapes) {
        // A stroke is centred on its path: half a unit in, so it lies inside as painted.
        const qreal inset = shape.outline.isValid() ? 0.5 : 0;
        const QRectF r = QRectF(shape.points.value(0), shape.points.value(1))
                             .adjusted(inset, inset, -inset, -inset);
        QString paint = u"fill=\"%1\""_s.arg(shape.fill.alpha() ? shape.fill.name() : u"none"_s);
        if (shape.outline.isValid())
            paint += u" stroke=\"%1\" stroke-width=\"1\""_s.arg(shape.outline.name());
        if (shape.kind == Shape::Rect) {
            out << "<rect x=\"" << r.x() << "\" y=\"" << r.y() << "\" width=\"" << r.width()
                << "\" height=\"" << r.height() << "\" rx=\"" << shape.radius - inset << "\" ";
        } else if (shape.kind == Shape::Ellipse) {
            out << "<ellipse cx=\"" << r.center().x() << "\" cy=\"" << r.center().y() << "\" rx=\""
                << r.width() / 2 << "\" ry=\"" << r.height() / 2 << "\" ";
        } else {
            out << "<polygon points=\"";
            for (const QPointF& point : shape.points)
                out << point.x() << ',' << point.y() << ' ';
            out << "\" ";
        }
        out << paint << "/>\n";
    }
    out << "</svg>\n";
    out.flush();
    return svg;
}

QIcon icon()
{
    QIcon painted;
    for (const int size : {16, 24, 32, 48, 64, 128})
        painted.addPixmap(QPixmap::fromImage(paint(size)));
    return QIcon::fromTheme(QStringLiteral("artcal"), painted);
}

} // namespace AppIcon
