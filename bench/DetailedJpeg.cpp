// SPDX-License-Identifier: GPL-3.0-or-later
#include "DetailedJpeg.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <cmath>
#include <vector>

namespace {
// sin(f * i) and cos(f * i) for i in [0, n): a sum of separable terms needs no sin per pixel.
struct Wave
{
    std::vector<float> sin, cos;
    Wave(int n, double f) : sin(size_t(n)), cos(size_t(n))
    {
        for (int i = 0; i < n; ++i) {
            sin[size_t(i)] = float(std::sin(f * i));
            cos[size_t(i)] = float(std::cos(f * i));
        }
    }
};

int clampByte(float v)
{
    return v < 0 ? 0 : v > 255 ? 255 : int(v);
}
} // namespace

bool writeDetailedJpeg(const QString& path, QSize size, int quality)
{
    const int w = size.width(), h = size.height();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    const Wave x1(w, 0.0019), y1(h, 0.0023), x2(w, 0.037), y2(h, 0.029), x3(w, 0.0071),
        y3(h, 0.0053);
    quint32 grain = 0x9e3779b9u;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const auto i = size_t(x), j = size_t(y);
            // sin(a + b) = sin a cos b + cos a sin b
            const float broad = x1.sin[i] * y1.cos[j] + x1.cos[i] * y1.sin[j];
            const float fine = x2.sin[i] * y2.cos[j];
            const float mid = x3.cos[i] * y3.sin[j] - x3.sin[i] * y3.cos[j];
            grain ^= grain << 13;
            grain ^= grain >> 17;
            grain ^= grain << 5;
            // Sensor-like grain, partly shared by the channels and partly not.
            const float noise = float(int(grain & 63u) - 32);
            const float r = float(int((grain >> 8) & 15u) - 8),
                        b = float(int((grain >> 16) & 15u) - 8);
            line[x] = qRgb(clampByte(120 + 80 * broad + 25 * fine + noise + r),
                           clampByte(110 + 70 * mid + 30 * fine + noise * 0.8f),
                           clampByte(100 + 60 * broad * mid + 40 * fine + noise + b));
        }
    }
    // Sharp edges of many sizes, as a photograph's objects have.
    QRandomGenerator random(24);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int n = 0; n < 600; ++n) {
        const QColor colour(random.bounded(256), random.bounded(256), random.bounded(256),
                            90 + random.bounded(120));
        const QRectF box(random.bounded(w), random.bounded(h), 10 + random.bounded(w / 6),
                         10 + random.bounded(h / 6));
        painter.setPen(QPen(colour.darker(160), 1 + random.bounded(6)));
        painter.setBrush(colour);
        if (n % 3 == 0)
            painter.drawEllipse(box);
        else if (n % 3 == 1)
            painter.drawRect(box);
        else
            painter.drawLine(box.topLeft(), box.bottomRight());
    }
    painter.end();
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    return writer.write(image);
}
