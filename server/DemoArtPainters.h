// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>

#include <random>

namespace server::DemoArt {

// A cosine colour ramp: smooth, periodic and harmonious for any t.
struct Palette
{
    double a[3], b[3], c[3], d[3];
    QColor at(double t) const;
    static Palette random(std::mt19937& rng);
};

double uniform(std::mt19937& rng, double low, double high);

void paintAbstract(QImage& image, std::mt19937& rng);
void paintFractal(QImage& image, std::mt19937& rng, int index);
void paintLandscape(QImage& image, std::mt19937& rng, int index);
void paintLightAndShadow(QImage& image, std::mt19937& rng, int index);
void paintPattern(QImage& image, std::mt19937& rng, int index);

} // namespace server::DemoArt
