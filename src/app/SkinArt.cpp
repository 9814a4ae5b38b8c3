// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinArt.h"

#include "app/SkinLayout.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <array>
#include <cmath>

namespace SkinArt {

namespace {

using namespace SkinLayout;

const QColor ink(40, 44, 52);
const QColor rimTop(92, 100, 114);
const QColor rimBottom(52, 58, 68);
const QColor panelTop(50, 104, 186);
const QColor panelBottom(24, 64, 138);
const QColor panelEdge(10, 34, 86);
const QColor panelText(236, 243, 255);
const QColor panelMuted(150, 186, 238);
const QColor buttonBlue(46, 102, 190);
const QColor buttonRed(200, 58, 48);

// The window shows only this top-left part of the skin bitmap.
const QRectF visibleSkin(QPointF(0, 0), windowSize);

// Rounded up, less a hair, so that 110.00000001 device pixels stay 110.
int devicePixels(int logical, qreal dpr)
{
    return qCeil(logical * dpr - 1e-6);
}

QImage canvas(QSize logical, qreal dpr, const QColor& fill)
{
    QImage image(devicePixels(logical.width(), dpr), devicePixels(logical.height(), dpr),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(fill);
    return image;
}

// The painter works in logical pixels: QPainter scales by the image's ratio.
void prepare(QPainter& p)
{
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
}

// A one-pixel bevel inside `r`: light on the top and left edges, dark on the others.
void bevel(QPainter& p, const QRectF& r, const QColor& light, const QColor& dark)
{
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), light);
    p.fillRect(QRectF(r.left(), r.top(), 1, r.height()), light);
    p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), dark);
    p.fillRect(QRectF(r.right() - 1, r.top(), 1, r.height()), dark);
}

// Text with a one-pixel emboss below it, so it reads as part of the surface.
void caption(QPainter& p, const QRectF& r, const QString& text, const QFont& f,
             const QColor& colour, const QColor& emboss, int flags = Qt::AlignCenter)
{
    p.setFont(f);
    p.setPen(emboss);
    p.drawText(r.translated(0, 1), flags, text);
    p.setPen(colour);
    p.drawText(r, flags, text);
}

// A domed round button: soft shadow, dark rim, body lit from above, a gloss on top.
void roundButton(QPainter& p, QPointF centre, qreal radius, const QColor& base)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(centre + QPointF(0, 1), radius + 0.8, radius + 0.8);
    p.setBrush(base.darker(190));
    p.drawEllipse(centre, radius, radius);

    QLinearGradient body(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
    body.setColorAt(0, base.lighter(135));
    body.setColorAt(0.55, base);
    body.setColorAt(1, base.darker(125));
    p.setBrush(body);
    p.drawEllipse(centre, radius - 1, radius - 1);

    const QRectF gloss(centre.x() - radius * 0.62, centre.y() - radius + 1.3, radius * 1.24,
                       radius * 0.85);
    QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 10));
    p.setBrush(shine);
    p.drawEllipse(gloss);
    p.restore();
}

// Draws a glyph path in white over a faint dark copy one pixel lower.
void glyph(QPainter& p, const QPainterPath& path, qreal width)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 80), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(0, 0.7));
    p.setPen(QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

void filledGlyph(QPainter& p, const QPainterPath& path)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    p.drawPath(path.translated(0, 0.7));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.restore();
}

QPainterPath cross(QPointF c, qreal half)
{
    QPainterPath path;
    path.moveTo(c + QPointF(-half, -half));
    path.lineTo(c + QPointF(half, half));
    path.moveTo(c + QPointF(half, -half));
    path.lineTo(c + QPointF(-half, half));
    return path;
}

// A triangle pointing left (direction -1) or right (+1).
QPainterPath arrowHead(QPointF c, qreal size, int direction)
{
    QPainterPath path;
    path.moveTo(c + QPointF(direction * size * 0.55, 0));
    path.lineTo(c + QPointF(-direction * size * 0.45, -size * 0.62));
    path.lineTo(c + QPointF(-direction * size * 0.45, size * 0.62));
    path.closeSubpath();
    return path;
}

// Two arcs chasing each other round the centre, each ending in a barb.
void circlingArrows(QPainter& p, QPointF c, qreal r)
{
    QPainterPath arcs;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    for (const qreal start : {25.0, 205.0}) {
        arcs.arcMoveTo(box, start);
        arcs.arcTo(box, start, 120);
    }
    glyph(p, arcs, 1.6);

    QPainterPath barbs;
    for (const qreal end : {145.0, 325.0}) {
        const qreal a = qDegreesToRadians(end);
        const QPointF tip(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        // Along the arc, counter-clockwise as Qt's angles run, and towards the centre.
        const QPointF along(-std::sin(a), -std::cos(a));
        const QPointF inward(-std::cos(a), std::sin(a));
        barbs.moveTo(tip + along * 2.6);
        barbs.lineTo(tip + inward * 2.6);
        barbs.lineTo(tip - inward * 2.6);
        barbs.closeSubpath();
    }
    filledGlyph(p, barbs);
}

QPainterPath gear(QPointF c, qreal outer, qreal inner, qreal hole)
{
    constexpr int teeth = 8;
    QPolygonF outline;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        for (const qreal part : {-0.22, 0.22}) {
            const qreal a = (i + part) * M_PI / teeth;
            outline << QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        }
    }
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    path.addEllipse(c, hole, hole);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QPainterPath cloud(QPointF c, qreal s)
{
    QPainterPath path;
    path.addEllipse(c + QPointF(-5.5, 1.0) * s, 4.2 * s, 3.6 * s);
    path.addEllipse(c + QPointF(-0.8, -1.6) * s, 5.0 * s, 5.0 * s);
    path.addEllipse(c + QPointF(4.6, 0.6) * s, 4.4 * s, 4.0 * s);
    path.addRoundedRect(QRectF(c + QPointF(-9.2, 0.2) * s, c + QPointF(8.6, 4.6) * s), 2.2 * s,
                        2.2 * s);
    // Winding fill joins the overlapping puffs into one outline.
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

void sunAndCloud(QPainter& p, QPointF c)
{
    p.save();
    const QPointF sun = c + QPointF(-4.5, -3.5);
    p.setPen(QPen(QColor(240, 170, 30), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(sun + dir * 6.4, sun + dir * 8.4);
    }
    QRadialGradient glow(sun - QPointF(1.5, 1.5), 6);
    glow.setColorAt(0, QColor(255, 244, 160));
    glow.setColorAt(1, QColor(250, 178, 30));
    p.setPen(QPen(QColor(205, 130, 20), 0.8));
    p.setBrush(glow);
    p.drawEllipse(sun, 4.8, 4.8);

    const QPainterPath shape = cloud(c + QPointF(2.5, 3.5), 0.95);
    QLinearGradient fill(0, c.y() - 2, 0, c.y() + 8.5);
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(196, 208, 226));
    p.setPen(QPen(QColor(110, 124, 148), 0.9));
    p.setBrush(fill);
    p.drawPath(shape);
    p.restore();
}

// A deep blue panel with a dark edge and a lit inner rim.
void bluePanel(QPainter& p, const QRectF& r)
{
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, panelTop);
    fill.setColorAt(1, panelBottom);
    p.fillRect(r, fill);
    bevel(p, r, panelEdge, panelEdge);
    bevel(p, r.adjusted(1, 1, -1, -1), QColor(255, 255, 255, 60), QColor(0, 0, 0, 50));
}

// Line-art signs beside the settings choices: a stack of pictures and a clock.
void pictureStackSign(QPainter& p, QPointF c)
{
    p.save();
    p.setPen(QPen(panelMuted, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(panelBottom);
    p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 8, 15, 11), 1.5, 1.5);
    p.setBrush(QColor(38, 86, 164));
    const QRectF front(c.x() - 9, c.y() - 4, 15, 11);
    p.drawRoundedRect(front, 1.5, 1.5);
    QPainterPath hill;
    hill.moveTo(front.left() + 2.5, front.bottom() - 2.5);
    hill.lineTo(front.left() + 6.5, front.top() + 4.5);
    hill.lineTo(front.left() + 9, front.bottom() - 4.5);
    hill.lineTo(front.left() + 10.5, front.top() + 6);
    hill.lineTo(front.right() - 2.5, front.bottom() - 2.5);
    p.drawPath(hill);
    p.restore();
}

void clockSign(QPainter& p, QPointF c)
{
    p.save();
    p.setPen(QPen(panelMuted, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(38, 86, 164));
    p.drawEllipse(c, 7.5, 7.5);
    p.drawLine(c, c + QPointF(0, -4.8));
    p.drawLine(c, c + QPointF(3.4, 1.6));
    p.restore();
}

void skinBody(QPainter& p)
{
    QLinearGradient rim(0, 0, 0, visibleSkin.height());
    rim.setColorAt(0, rimTop);
    rim.setColorAt(1, rimBottom);
    p.fillRect(QRectF(QPointF(0, 0), skinSize), rimBottom);
    p.fillRect(visibleSkin, rim);
    bevel(p, visibleSkin, QColor(30, 34, 40), QColor(30, 34, 40));
    bevel(p, visibleSkin.adjusted(1, 1, -1, -1), QColor(255, 255, 255, 55), QColor(0, 0, 0, 60));

    // The face is a raised plate: its one-pixel edge runs from light to shadow.
    const QRectF plate = visibleSkin.adjusted(5, 5, -5, -5);
    QLinearGradient edge(plate.topLeft(), plate.bottomRight());
    edge.setColorAt(0, QColor(252, 252, 252));
    edge.setColorAt(1, QColor(150, 152, 158));
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawRoundedRect(plate, 7, 7);
    p.setBrush(face);
    p.drawRoundedRect(plate.adjusted(1, 1, -1, -1), 6, 6);
}

void topRow(QPainter& p)
{
    caption(p, QRectF(14, 12, 40, 16), QStringLiteral("artcal"), font(serif, 14, QFont::Bold, true),
            QColor(44, 86, 160), Qt::white, Qt::AlignLeft | Qt::AlignVCenter);

    // Stays inside the badge, which hides it when shown.
    const QPointF plus(66.5, 20);
    roundButton(p, plus, 5.5, QColor(58, 150, 70));
    QPainterPath sign;
    sign.moveTo(plus + QPointF(-2.6, 0));
    sign.lineTo(plus + QPointF(2.6, 0));
    sign.moveTo(plus + QPointF(0, -2.6));
    sign.lineTo(plus + QPointF(0, 2.6));
    glyph(p, sign, 1.4);
    caption(p, QRectF(75, 12, 97, 16), QStringLiteral("Add to My Gallery"),
            font(sans, 11, QFont::Bold), ink, Qt::white, Qt::AlignLeft | Qt::AlignVCenter);

    const QPointF close = QRectF(closeButton).center();
    roundButton(p, close, 6.5, buttonRed);
    glyph(p, cross(close, 2.2), 1.5);
}

void pictureWell(QPainter& p)
{
    // A recess around the picture, with a two-pixel mount where the highlight box is
    // drawn.
    const QRectF area(SkinLayout::picture);
    bevel(p, area.adjusted(-3, -3, 3, 3), QColor(150, 152, 158), QColor(252, 252, 252));
    p.fillRect(area.adjusted(-2, -2, 2, 2), QColor(92, 98, 110));
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0, QColor(238, 240, 243));
    fill.setColorAt(1, QColor(222, 225, 230));
    p.fillRect(area, fill);

    // A faint picture sign, seen only while there is no picture at all.
    p.save();
    p.setPen(QPen(QColor(196, 200, 208), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF frame(area.center().x() - 22, area.center().y() - 17, 44, 34);
    p.drawRoundedRect(frame, 4, 4);
    QPainterPath hills;
    hills.moveTo(frame.left() + 5, frame.bottom() - 6);
    hills.lineTo(frame.left() + 17, frame.top() + 16);
    hills.lineTo(frame.left() + 26, frame.bottom() - 12);
    hills.lineTo(frame.left() + 31, frame.top() + 19);
    hills.lineTo(frame.right() - 5, frame.bottom() - 6);
    p.drawPath(hills);
    p.drawEllipse(QPointF(frame.right() - 11, frame.top() + 9), 3, 3);
    p.restore();
}

void buttonRow(QPainter& p)
{
    caption(p, viewGallery, QStringLiteral("View Gallery"), font(sans, 11), QColor(30, 72, 150),
            Qt::white);

    const QPointF refresh = QRectF(refreshButton).center();
    roundButton(p, refresh, 11, buttonBlue);
    circlingArrows(p, refresh, 5.6);

    // Inside the grey cover, which hides it most of the time.
    caption(p, imageAdded, QStringLiteral("Image Added"), font(sansNarrow, 11, QFont::Bold),
            QColor(40, 128, 52), Qt::white);
}

void calendarBed(QPainter& p)
{
    // Under the calendar box: its frame shows one pixel round it.
    bluePanel(p, QRectF(SkinLayout::calendar).adjusted(-1, -1, 1, 1));
}

void bottomRow(QPainter& p)
{
    const QPointF previous(26.5, 374.5);
    roundButton(p, previous, 9, buttonBlue);
    filledGlyph(p, arrowHead(previous + QPointF(-0.6, 0), 7, -1));

    const QPointF next(53.5, 374.5);
    roundButton(p, next, 9, buttonBlue);
    filledGlyph(p, arrowHead(next + QPointF(0.6, 0), 7, 1));

    sunAndCloud(p, QRectF(weatherLink).center());

    caption(p, QRectF(104, 364, 90, 20), QStringLiteral("Menu/Settings"),
            font(sans, 11, QFont::Bold), ink, Qt::white, Qt::AlignRight | Qt::AlignVCenter);
    const QPointF menu(207.5, 374);
    roundButton(p, menu, 10, QColor(96, 104, 118));
    p.save();
    p.setPen(QPen(QColor(0, 0, 0, 60), 0.6));
    p.setBrush(Qt::white);
    p.drawPath(gear(menu, 6.2, 4.4, 1.9));
    p.restore();
}

void calendarHeader(QPainter& p)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 18, 64, 90));
    p.drawRoundedRect(QRectF(4, 6, 188, 22), 5, 5);
    // The week-number column sits apart from the days.
    p.setBrush(QColor(0, 18, 64, 45));
    p.drawRoundedRect(QRectF(4, 31, 27, 86), 4, 4);
    p.restore();

    const QFont headerFont = font(sans, 9, QFont::Bold);
    const QColor emboss(0, 10, 40, 120);
    caption(p, QRectF(6, 7, 26, 20), QStringLiteral("Wk"), headerFont, panelMuted, emboss);
    const QStringList names = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"),
                               QStringLiteral("Thu"), QStringLiteral("Fri"), QStringLiteral("Sat"),
                               QStringLiteral("Sun")};
    for (int c = 1; c <= 7; ++c) {
        // Column c holds day numbers from x = 37 + 22 (c - 1) to 12 pixels further.
        const qreal centre = 43 + 22 * (c - 1);
        const QColor colour = c >= 6 ? weekendGold : panelText;
        caption(p, QRectF(centre - 12, 7, 24, 20), names.at(c - 1), headerFont, colour, emboss);
    }

    const QFont weekFont = font(smallSans, 9);
    for (int r = 0; r < 5; ++r)
        caption(p, QRectF(6, 34 + 14 * r, 26, 11), QString::number(r + 1), weekFont, panelMuted,
                emboss);
}

// One line of hills across the placeholder, drawn as a few gentle waves and closed
// along the bottom edge.
struct Wave
{
    qreal amplitude;
    qreal period;
    qreal phase;
};

using Waves = std::array<Wave, 2>;

QPainterPath hills(QSizeF area, qreal base, const Waves& waves)
{
    QPainterPath path(QPointF(0, area.height()));
    for (qreal x = 0; x <= area.width(); x += 4) {
        qreal y = base;
        for (const Wave& wave : waves)
            y += wave.amplitude * std::sin(2 * M_PI * x / wave.period + wave.phase);
        path.lineTo(x, y);
    }
    path.lineTo(area.width(), area.height());
    path.closeSubpath();
    return path;
}

void landscape(QPainter& p, QSizeF area)
{
    QLinearGradient sky(0, 0, 0, area.height() * 0.75);
    sky.setColorAt(0, QColor(84, 122, 186));
    sky.setColorAt(0.55, QColor(178, 194, 224));
    sky.setColorAt(1, QColor(250, 220, 194));
    p.fillRect(QRectF(QPointF(0, 0), area), sky);

    const QPointF sun(area.width() * 0.72, area.height() * 0.57);
    QRadialGradient glow(sun, area.width() * 0.36);
    glow.setColorAt(0, QColor(255, 234, 200, 210));
    glow.setColorAt(1, QColor(255, 234, 200, 0));
    p.fillRect(QRectF(QPointF(0, 0), area), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 247, 230));
    p.drawEllipse(sun, 34, 34);

    struct Layer
    {
        qreal base;
        QColor colour;
        Waves waves;
    };
    const Layer layers[] = {
        {352, QColor(156, 170, 206), {{{26, 420, 0.6}, {9, 130, 2.0}}}},
        {398, QColor(118, 138, 184), {{{22, 540, 2.4}, {7, 170, 0.3}}}},
        {452, QColor(80, 106, 156), {{{18, 610, 4.1}, {6, 150, 1.2}}}},
        {510, QColor(50, 76, 126), {{{14, 700, 1.0}, {5, 190, 3.3}}}},
    };
    for (const Layer& layer : layers) {
        QLinearGradient fill(0, layer.base - 30, 0, area.height());
        fill.setColorAt(0, layer.colour);
        fill.setColorAt(1, layer.colour.darker(125));
        p.setBrush(fill);
        p.drawPath(hills(area, layer.base, layer.waves));
        // Mist in the valley below each ridge sets the next one apart.
        QLinearGradient mist(0, layer.base, 0, layer.base + 70);
        mist.setColorAt(0, QColor(255, 244, 236, 0));
        mist.setColorAt(0.6, QColor(255, 244, 236, 50));
        mist.setColorAt(1, QColor(255, 244, 236, 0));
        p.fillRect(QRectF(0, layer.base, area.width(), 70), mist);
    }
}

} // namespace

QImage skin(qreal dpr)
{
    QImage image = canvas(skinSize, dpr, rimBottom);
    QPainter p(&image);
    prepare(p);
    skinBody(p);
    topRow(p);
    pictureWell(p);
    buttonRow(p);
    calendarBed(p);
    bottomRow(p);
    return image;
}

QImage calendar(qreal dpr)
{
    QImage image = canvas(calendarSize, dpr, panelEdge);
    QPainter p(&image);
    prepare(p);
    // The calendar box is one pixel narrower than the bitmap: keep the edge in view.
    bluePanel(p, QRectF(0, 0, calendarSize.width() - 1, calendarSize.height()));
    calendarHeader(p);
    caption(p, QRectF(100, 116, 90, 14), QStringLiteral("artcal"),
            font(serif, 12, QFont::Normal, true), panelMuted, QColor(0, 10, 40, 120),
            Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

QImage settingsPanel(qreal dpr)
{
    QImage image = canvas(settingsPanelSize, dpr, panelEdge);
    QPainter p(&image);
    prepare(p);
    bluePanel(p, QRectF(QPointF(0, 0), settingsPanelSize));
    const QColor emboss(0, 10, 40, 140);
    caption(p, QRectF(14, 13, 150, 19), QStringLiteral("Menu Settings"),
            font(sans, 13, QFont::Bold), Qt::white, emboss, Qt::AlignLeft | Qt::AlignVCenter);
    p.fillRect(QRectF(10, 37, 185, 1), QColor(0, 10, 40, 110));
    p.fillRect(QRectF(10, 38, 185, 1), QColor(255, 255, 255, 45));

    const QPointF close = QRectF(settingsClose).center();
    roundButton(p, close, 8, buttonRed);
    glyph(p, cross(close, 2.8), 1.7);

    const QFont labelFont = font(sans, 11, QFont::Bold);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter;
    caption(p, QRectF(22, 42, 170, 14), QStringLiteral("Image Categories:"), labelFont, panelText,
            emboss, flags);
    caption(p, QRectF(21, 87, 170, 14), QStringLiteral("Rotate Images Every:"), labelFont,
            panelText, emboss, flags);
    caption(p, QRectF(12, 124, 181, 11), QStringLiteral("Closing the panel saves your choices"),
            font(sans, 9), panelMuted, emboss, flags);
    // Beside the two choice boxes.
    pictureStackSign(p, QPointF(160, 68));
    clockSign(p, QPointF(159, 112.5));
    return image;
}

QImage marker(qreal dpr)
{
    return canvas(markerSize, dpr, QColor::fromRgb(markerColour));
}

QImage placeholder(QSize size)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    prepare(p);
    // Drawn in the 752 × 576 design space and stretched to the size asked for.
    const QSizeF area = placeholderSize;
    p.scale(size.width() / area.width(), size.height() / area.height());
    landscape(p, area);

    // The picture is shown at a quarter of this size: the words must stay readable.
    const QFont words = font(serif, 54, QFont::Normal, true);
    const QColor shade(30, 50, 96, 90);
    caption(p, QRectF(0, 96, area.width(), 66), QStringLiteral("Your picture of the day"), words,
            Qt::white, shade);
    caption(p, QRectF(0, 160, area.width(), 66), QStringLiteral("is on its way"), words, Qt::white,
            shade);
    caption(p, QRectF(area.width() - 236, area.height() - 64, 210, 44), QStringLiteral("artcal"),
            font(serif, 36, QFont::Bold, true), QColor(255, 255, 255, 215), shade,
            Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

} // namespace SkinArt
