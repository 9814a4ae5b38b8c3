// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoArtPainters.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace server::DemoArt {

namespace {

constexpr double tau = 2 * std::numbers::pi;

QColor mix(const QColor& from, const QColor& to, double t)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

// A soft round glow: full colour in the middle, transparent at `radius`.
void glow(QPainter& p, QPointF centre, double radius, const QColor& colour)
{
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0, colour);
    gradient.setColorAt(1, withAlpha(colour, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(centre, radius, radius);
}

void vignette(QPainter& p, const QRectF& area, int strength)
{
    QRadialGradient gradient(area.center(), area.width() * 0.75);
    gradient.setColorAt(0.55, QColor(0, 0, 0, 0));
    gradient.setColorAt(1, QColor(0, 0, 0, strength));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawRect(area);
}

// A ridge line by midpoint displacement, scaled to [-1, 1].
QList<double> ridge(std::mt19937& rng, int points, double roughness)
{
    QList<double> height(points + 1, 0.0);
    height[0] = uniform(rng, -1, 1);
    height[points] = uniform(rng, -1, 1);
    double amplitude = 1;
    for (int step = points; step > 1; step /= 2) {
        for (int i = step / 2; i < points; i += step)
            height[i] = (height[i - step / 2] + height[i + step / 2]) / 2 +
                        uniform(rng, -amplitude, amplitude);
        amplitude *= roughness;
    }
    const double peak = std::max(
        1e-9, std::abs(*std::max_element(height.begin(), height.end(), [](double a, double b) {
            return std::abs(a) < std::abs(b);
        })));
    for (double& h : height)
        h /= peak;
    return height;
}

QPainterPath hexagon(QPointF centre, double radius)
{
    QPainterPath path;
    for (int corner = 0; corner < 6; ++corner) {
        const double angle = tau * corner / 6 + tau / 12;
        const QPointF point = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        corner == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// Shaded ball lit from `light`: highlight on the lit side, dark rim away from it.
void sphere(QPainter& p, QPointF centre, double radius, QPointF light, const QColor& colour)
{
    QPointF towardLight = light - centre;
    towardLight /= std::max(1.0, std::hypot(towardLight.x(), towardLight.y()));
    QRadialGradient gradient(centre, radius, centre + towardLight * radius * 0.55);
    gradient.setColorAt(0, colour.lighter(190));
    gradient.setColorAt(0.35, colour);
    gradient.setColorAt(0.9, colour.darker(420));
    gradient.setColorAt(1, colour.darker(300));
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(centre, radius, radius);
}

void paintTruchet(QImage& image, std::mt19937& rng, const Palette& palette, double tile)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), palette.at(0.05).darker(500));
    const int columns = int(std::ceil(image.width() / tile));
    const int rows = int(std::ceil(image.height() / tile));
    QList<bool> flips(qsizetype(rows) * columns);
    for (auto&& flip : flips)
        flip = rng() & 1;
    // A dark, wider pass under the coloured one makes the arcs read as woven bands.
    for (const bool outline : {true, false}) {
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                const bool flipped = flips[qsizetype(row) * columns + column];
                const QRectF box(column * tile, row * tile, tile, tile);
                const double t = double(column + row) / (columns + rows);
                QPen pen(outline ? palette.at(t).darker(400) : palette.at(t));
                pen.setWidthF(tile * (outline ? 0.36 : 0.24));
                pen.setCapStyle(Qt::FlatCap);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                const QPointF a = flipped ? box.topRight() : box.topLeft();
                const QPointF b = flipped ? box.bottomLeft() : box.bottomRight();
                const int startA = flipped ? 180 : 270;
                const int startB = flipped ? 0 : 90;
                p.drawArc(QRectF(a - QPointF(tile / 2, tile / 2), QSizeF(tile, tile)), startA * 16,
                          90 * 16);
                p.drawArc(QRectF(b - QPointF(tile / 2, tile / 2), QSizeF(tile, tile)), startB * 16,
                          90 * 16);
            }
        }
    }
    vignette(p, image.rect(), 150);
}

void paintHoneycomb(QImage& image, std::mt19937& rng, const Palette& palette)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), palette.at(0.5).darker(600));
    const double radius = uniform(rng, 36, 52);
    const double dx = radius * std::sqrt(3.0);
    const double dy = radius * 1.5;
    const QPointF centre(uniform(rng, 300, 724), uniform(rng, 250, 518));
    const double phase = uniform(rng, 0, 1);
    for (int row = -1; row * dy < image.height() + radius; ++row) {
        for (int column = -1; column * dx < image.width() + radius; ++column) {
            const QPointF cell(column * dx + (row & 1) * dx / 2, row * dy);
            const QPointF offset = cell - centre;
            const double ring = std::hypot(offset.x(), offset.y()) / (radius * 7);
            const QColor colour = palette.at(ring + phase);
            QLinearGradient fill(cell - QPointF(0, radius), cell + QPointF(0, radius));
            fill.setColorAt(0, colour.lighter(125));
            fill.setColorAt(1, colour.darker(160));
            p.setPen(QPen(colour.darker(300), 3));
            p.setBrush(fill);
            p.drawPath(hexagon(cell, radius - 3));
            p.setPen(Qt::NoPen);
            p.setBrush(withAlpha(colour.lighter(170), 120));
            p.drawPath(hexagon(cell, (radius - 3) * (0.25 + 0.2 * std::sin(ring * tau))));
        }
    }
    vignette(p, image.rect(), 170);
}

// Halftone dots whose size follows waves spreading from two centres.
void paintRipples(QImage& image, std::mt19937& rng, const Palette& palette)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), palette.at(0.9).darker(700));
    const QPointF a(uniform(rng, 0, 1024), uniform(rng, 0, 768));
    const QPointF b(uniform(rng, 0, 1024), uniform(rng, 0, 768));
    const double wavelength = uniform(rng, 50, 90);
    const double spacing = 18;
    p.setPen(Qt::NoPen);
    for (double y = spacing / 2; y < image.height(); y += spacing) {
        for (double x = spacing / 2; x < image.width(); x += spacing) {
            const double da = std::hypot(x - a.x(), y - a.y());
            const double db = std::hypot(x - b.x(), y - b.y());
            const double wave = (std::sin(da / wavelength * tau) + std::sin(db / wavelength * tau));
            const double size = (wave + 2) / 4;
            p.setBrush(palette.at(x / 2048 + y / 1536 + size * 0.3));
            p.drawEllipse(QPointF(x, y), size * spacing * 0.55, size * spacing * 0.55);
        }
    }
    vignette(p, image.rect(), 140);
}

// Two sets of concentric rings; where they cross, moiré figures appear.
void paintMoire(QImage& image, std::mt19937& rng, const Palette& palette)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 1024, 768);
    background.setColorAt(0, palette.at(0.1));
    background.setColorAt(1, palette.at(0.45));
    p.fillRect(image.rect(), background);
    const double gap = uniform(rng, 9, 13);
    for (int set = 0; set < 2; ++set) {
        const QPointF centre(512 + uniform(rng, -160, 160), 384 + uniform(rng, -120, 120));
        p.setPen(QPen(withAlpha(palette.at(0.7 + set * 0.2).darker(350), 210), gap * 0.45));
        p.setBrush(Qt::NoBrush);
        for (double r = gap; r < 1300; r += gap)
            p.drawEllipse(centre, r, r);
    }
    vignette(p, image.rect(), 160);
}

void spheresScene(QImage& image, std::mt19937& rng, const Palette& palette)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double horizon = uniform(rng, 400, 470);
    const QPointF light(uniform(rng, 80, 944), uniform(rng, -260, -60));
    QLinearGradient wall(0, 0, 0, horizon);
    wall.setColorAt(0, QColor(14, 13, 16));
    wall.setColorAt(1, QColor(52, 46, 44));
    p.fillRect(QRectF(0, 0, 1024, horizon), wall);
    QLinearGradient floor(0, horizon, 0, 768);
    floor.setColorAt(0, QColor(92, 82, 74));
    floor.setColorAt(1, QColor(30, 26, 24));
    p.fillRect(QRectF(0, horizon, 1024, 768 - horizon), floor);
    p.setCompositionMode(QPainter::CompositionMode_Screen);
    glow(p, QPointF(light.x(), horizon + 150), 520, QColor(255, 214, 160, 120));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    struct Ball
    {
        QPointF base;
        double radius;
    };
    QList<Ball> balls;
    for (int i = 0; i < 3; ++i) {
        const double radius = uniform(rng, 55, 110);
        const double y = horizon + 60 + i * 90 + uniform(rng, 0, 40);
        balls.append({QPointF(180 + i * 330 + uniform(rng, -60, 60), y), radius});
    }
    // Shadows fall away from the light: long and soft on the floor.
    for (const Ball& ball : balls) {
        const double away = (ball.base.x() - light.x()) / 500.0;
        const QPointF centre = ball.base + QPointF(ball.radius * (away * 1.8), 6);
        QRadialGradient shadow(centre, ball.radius * (1.4 + std::abs(away)));
        shadow.setColorAt(0, QColor(0, 0, 0, 200));
        shadow.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shadow);
        p.drawEllipse(centre, ball.radius * (1.4 + std::abs(away)), ball.radius * 0.38);
    }
    for (int i = 0; i < balls.size(); ++i)
        sphere(p, balls[i].base - QPointF(0, balls[i].radius * 0.92), balls[i].radius, light,
               palette.at(0.15 + i * 0.3));
    vignette(p, image.rect(), 200);
}

void windowScene(QImage& image, std::mt19937& rng, const Palette& palette)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double horizon = 500;
    p.fillRect(QRectF(0, 0, 1024, horizon), QColor(24, 22, 26));
    QLinearGradient floor(0, horizon, 0, 768);
    floor.setColorAt(0, QColor(44, 36, 30));
    floor.setColorAt(1, QColor(20, 16, 14));
    p.fillRect(QRectF(0, horizon, 1024, 268), floor);

    const QRectF window(uniform(rng, 120, 520), 110, uniform(rng, 240, 340), 280);
    const double shear = uniform(rng, 0.5, 1.4) * (window.center().x() < 512 ? 1 : -1);
    const QColor sun = mix(QColor(255, 236, 200), palette.at(0.1), 0.25);
    // The sunlit patch: the window pane projected onto the floor, its bars as gaps.
    auto project = [&](QPointF point) {
        const double depth = (window.bottom() - point.y()) / window.height();
        return QPointF(point.x() + shear * 220 * depth + shear * 160, horizon + 20 + depth * 230);
    };
    const QPointF mid = window.center();
    const QRectF panes[] = {
        QRectF(window.topLeft(), mid - QPointF(6, 6)),
        QRectF(QPointF(mid.x() + 6, window.top()), QPointF(window.right(), mid.y() - 6)),
        QRectF(QPointF(window.left(), mid.y() + 6), QPointF(mid.x() - 6, window.bottom())),
        QRectF(mid + QPointF(6, 6), window.bottomRight()),
    };
    p.setCompositionMode(QPainter::CompositionMode_Screen);
    for (const QRectF& pane : panes) {
        const QPolygonF patch = {project(pane.topLeft()), project(pane.topRight()),
                                 project(pane.bottomRight()), project(pane.bottomLeft())};
        const QPolygonF corners = {pane.topLeft(), pane.topRight(), pane.bottomRight(),
                                   pane.bottomLeft()};
        QLinearGradient shaft(pane.center(), patch.boundingRect().center());
        shaft.setColorAt(0, withAlpha(sun, 34));
        shaft.setColorAt(1, withAlpha(sun, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(shaft);
        // The shaft of light: one quad per side between the pane and its patch.
        for (int side = 0; side < 4; ++side)
            p.drawPolygon(QPolygonF{corners[side], corners[(side + 1) % 4], patch[(side + 1) % 4],
                                    patch[side]});
        p.setBrush(withAlpha(sun, 170));
        p.drawPolygon(patch);
        p.setBrush(sun);
        p.drawRect(pane);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    glow(p, window.center(), window.width(), withAlpha(sun, 60));
    const QPointF ballBase = project(QPointF(mid.x(), window.bottom() - 120));
    const double radius = uniform(rng, 50, 80);
    QRadialGradient shadow(ballBase + QPointF(shear * 70, 0), radius * 1.8);
    shadow.setColorAt(0, QColor(0, 0, 0, 210));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shadow);
    p.drawEllipse(ballBase + QPointF(shear * 70, 0), radius * 1.8, radius * 0.4);
    sphere(p, ballBase - QPointF(0, radius * 0.9), radius, window.center(), palette.at(0.6));
    vignette(p, image.rect(), 210);
}

} // namespace

double uniform(std::mt19937& rng, double low, double high)
{
    return low + (high - low) * (double(rng()) / 4294967296.0);
}

QColor Palette::at(double t) const
{
    auto channel = [&](int i) {
        return float(std::clamp(a[i] + b[i] * std::cos(tau * (c[i] * t + d[i])), 0.0, 1.0));
    };
    return QColor::fromRgbF(channel(0), channel(1), channel(2));
}

Palette Palette::random(std::mt19937& rng)
{
    static const Palette presets[] = {
        {{.5, .5, .5}, {.5, .5, .5}, {1, 1, 1}, {0, .33, .67}},
        {{.5, .5, .5}, {.5, .5, .5}, {1, 1, 1}, {0, .10, .20}},
        {{.5, .5, .5}, {.5, .5, .5}, {1, 1, 1}, {.3, .20, .20}},
        {{.5, .5, .5}, {.5, .5, .5}, {1, 1, .5}, {.8, .90, .30}},
        {{.5, .5, .5}, {.5, .5, .5}, {1, .7, .4}, {0, .15, .20}},
        {{.5, .5, .5}, {.5, .5, .5}, {2, 1, 0}, {.5, .20, .25}},
        {{.8, .5, .4}, {.2, .4, .2}, {2, 1, 1}, {0, .25, .25}},
    };
    Palette palette = presets[rng() % std::size(presets)];
    const double shift = uniform(rng, 0, 1);
    for (double& d : palette.d)
        d += shift;
    return palette;
}

void paintAbstract(QImage& image, std::mt19937& rng)
{
    const Palette palette = Palette::random(rng);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 1024, 768);
    background.setColorAt(0, palette.at(uniform(rng, 0, 1)).darker(420));
    background.setColorAt(1, palette.at(uniform(rng, 0, 1)).darker(250));
    p.fillRect(image.rect(), background);

    p.setCompositionMode(QPainter::CompositionMode_Screen);
    for (int i = 0; i < 7; ++i)
        glow(p, QPointF(uniform(rng, 0, 1024), uniform(rng, 0, 768)), uniform(rng, 160, 420),
             withAlpha(palette.at(uniform(rng, 0, 1)), 150));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    for (int i = 0; i < 6; ++i) {
        QPainterPath ribbon(QPointF(uniform(rng, -100, 200), uniform(rng, 0, 768)));
        ribbon.cubicTo(QPointF(uniform(rng, 100, 500), uniform(rng, -200, 968)),
                       QPointF(uniform(rng, 500, 900), uniform(rng, -200, 968)),
                       QPointF(uniform(rng, 824, 1124), uniform(rng, 0, 768)));
        QLinearGradient stroke(0, 0, 1024, 0);
        stroke.setColorAt(0, withAlpha(palette.at(uniform(rng, 0, 1)), 40));
        stroke.setColorAt(0.5, withAlpha(palette.at(uniform(rng, 0, 1)).lighter(130), 200));
        stroke.setColorAt(1, withAlpha(palette.at(uniform(rng, 0, 1)), 40));
        const double width = uniform(rng, 14, 70);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QBrush(stroke), width, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(ribbon);
        p.setPen(QPen(QColor(255, 255, 255, 70), 1.5));
        p.drawPath(ribbon.translated(0, width * 0.7));
    }
    for (int i = 0; i < 4; ++i) {
        const QPointF centre(uniform(rng, 100, 924), uniform(rng, 100, 668));
        const double radius = uniform(rng, 20, 90);
        p.setPen(QPen(withAlpha(palette.at(uniform(rng, 0, 1)).lighter(150), 220), 3));
        p.setBrush(withAlpha(palette.at(uniform(rng, 0, 1)), 90));
        p.drawEllipse(centre, radius, radius);
    }
    vignette(p, image.rect(), 170);
}

void paintFractal(QImage& image, std::mt19937& rng, int index)
{
    struct View
    {
        double x, y, halfWidth;
        bool julia;
        double cx, cy;
    };
    static const View views[] = {
        {-0.7453, 0.1127, 0.0065, false, 0, 0}, {0, 0, 1.55, true, -0.8, 0.156},
        {0.2855, 0.0115, 0.0085, false, 0, 0},  {0, 0, 1.6, true, 0, 1},
        {-0.7436, 0.1318, 0.0035, false, 0, 0}, {0, 0, 1.5, true, -0.4, 0.6},
    };
    const View& view = views[index % std::size(views)];
    const Palette palette = Palette::random(rng);
    const double offset = uniform(rng, 0, 1);
    const int maxIterations = view.julia ? 160 : 240;
    const double scale = 2 * view.halfWidth / image.width();
    const QRgb inside = palette.at(offset).darker(800).rgb();
    for (int row = 0; row < image.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const double y0 = view.y + (row - image.height() / 2.0) * scale;
        for (int column = 0; column < image.width(); ++column) {
            const double x0 = view.x + (column - image.width() / 2.0) * scale;
            double x = view.julia ? x0 : 0, y = view.julia ? y0 : 0;
            const double cx = view.julia ? view.cx : x0, cy = view.julia ? view.cy : y0;
            int n = 0;
            while (n < maxIterations && x * x + y * y < 256) {
                const double xt = x * x - y * y + cx;
                y = 2 * x * y + cy;
                x = xt;
                ++n;
            }
            if (n == maxIterations) {
                line[column] = inside;
                continue;
            }
            // Smooth count: no bands between iteration steps.
            const double smooth = n + 1 - std::log2(std::log(std::sqrt(x * x + y * y)));
            line[column] = palette.at(offset + std::sqrt(smooth) * 0.22).rgb();
        }
    }
    QPainter p(&image);
    vignette(p, image.rect(), 130);
}

void paintLandscape(QImage& image, std::mt19937& rng, int index)
{
    struct Sky
    {
        QColor top, horizon, sun;
        double sunHeight; // 0 at the horizon line, 1 at the top of the picture
        bool night;
        bool lake;
    };
    static const Sky skies[] = {
        {QColor(29, 43, 83), QColor(246, 166, 107), QColor(255, 236, 190), 0.12, false, false},
        {QColor(58, 110, 165), QColor(207, 227, 240), QColor(255, 255, 240), 0.7, false, false},
        {QColor(43, 31, 74), QColor(242, 138, 91), QColor(255, 200, 120), 0.25, false, false},
        {QColor(5, 7, 15), QColor(31, 47, 79), QColor(235, 235, 220), 0.75, true, false},
        {QColor(75, 108, 143), QColor(243, 217, 177), QColor(255, 244, 214), 0.3, false, true},
        {QColor(48, 10, 30), QColor(255, 106, 61), QColor(255, 90, 50), 0.18, false, true},
    };
    const Sky& sky = skies[index % std::size(skies)];
    const double width = image.width();
    const double horizon = sky.lake ? 500 : 520;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient air(0, 0, 0, horizon);
    air.setColorAt(0, sky.top);
    air.setColorAt(0.6, mix(sky.top, sky.horizon, 0.55));
    air.setColorAt(1, sky.horizon);
    p.fillRect(QRectF(0, 0, width, image.height()), air);
    if (sky.night) {
        for (int i = 0; i < 220; ++i) {
            const double brightness = uniform(rng, 0.2, 1);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 240, int(brightness * 255)));
            const double r = brightness * 1.4;
            p.drawEllipse(QPointF(uniform(rng, 0, width), uniform(rng, 0, horizon * 0.8)), r, r);
        }
    }
    const QPointF sun(uniform(rng, width * 0.2, width * 0.8), horizon * (1 - sky.sunHeight) - 30);
    glow(p, sun, 330, withAlpha(sky.sun, sky.night ? 60 : 150));
    glow(p, sun, sky.night ? 34 : 48, sky.sun);

    const int layers = 5;
    const QColor far = mix(sky.horizon, sky.top, 0.25);
    const QColor near = sky.top.darker(sky.night ? 200 : 320);
    for (int layer = 0; layer < layers; ++layer) {
        const double t = double(layer) / (layers - 1);
        const QList<double> heights = ridge(rng, 256, uniform(rng, 0.5, 0.62));
        const double base = horizon - 150 + layer * (sky.lake ? 36 : 48);
        const double amplitude = 110 - layer * 14;
        QPainterPath mountains(QPointF(0, image.height()));
        for (int i = 0; i < heights.size(); ++i)
            mountains.lineTo(width * i / (heights.size() - 1), base - amplitude * heights[i]);
        mountains.lineTo(width, image.height());
        mountains.closeSubpath();
        const QColor colour = mix(far, near, t);
        QLinearGradient shade(0, base - amplitude, 0, base + 200);
        shade.setColorAt(0, colour.lighter(112));
        shade.setColorAt(1, colour.darker(140));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawPath(mountains);
        // Mist settles at the foot of each range.
        QLinearGradient mist(0, base - 10, 0, base + 60);
        mist.setColorAt(0, withAlpha(sky.horizon, 0));
        mist.setColorAt(1, withAlpha(sky.horizon, int(70 * (1 - t))));
        p.setBrush(mist);
        p.drawRect(QRectF(0, base - 10, width, 70));
    }
    if (sky.lake) {
        const double waterLine = horizon + 40;
        const QImage above = image.copy(0, int(2 * waterLine - image.height()), int(width),
                                        int(image.height() - waterLine));
        p.fillRect(QRectF(0, waterLine, width, image.height() - waterLine), near.darker(150));
        p.setOpacity(0.55);
        p.drawImage(QPointF(0, waterLine), above.mirrored(false, true));
        p.setOpacity(1);
        for (int i = 0; i < 26; ++i) {
            const double y = waterLine + 8 + i * i * 0.4;
            const double half = uniform(rng, 20, 90) * (1 - i / 40.0);
            p.fillRect(QRectF(sun.x() - half, y, half * 2, 1.5 + i * 0.08),
                       withAlpha(sky.sun, 110 - i * 3));
        }
    }
    vignette(p, image.rect(), 150);
}

void paintLightAndShadow(QImage& image, std::mt19937& rng, int index)
{
    const Palette palette = Palette::random(rng);
    if (index % 2 == 0)
        spheresScene(image, rng, palette);
    else
        windowScene(image, rng, palette);
}

void paintPattern(QImage& image, std::mt19937& rng, int index)
{
    const Palette palette = Palette::random(rng);
    switch (index % 6) {
    case 0:
        paintTruchet(image, rng, palette, 64);
        break;
    case 3:
        paintTruchet(image, rng, palette, 48);
        break;
    case 1:
    case 4:
        paintHoneycomb(image, rng, palette);
        break;
    case 2:
        paintRipples(image, rng, palette);
        break;
    default:
        paintMoire(image, rng, palette);
    }
}

} // namespace server::DemoArt
