// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

// The widget's own artwork, painted with QPainter: the window skin, the calendar and
// settings panels, today's marker and the placeholder picture. Each bitmap is painted
// at the given device-pixel ratio (logical size × dpr, rounded up), so it stays sharp
// on high-DPI screens; the layouts match the controls laid over them.
namespace SkinArt {

inline constexpr QSize skinSize{239, 399};
inline constexpr QSize calendarSize{197, 132};
inline constexpr QSize settingsPanelSize{205, 137};
inline constexpr QSize markerSize{17, 17};
inline constexpr QSize placeholderSize{752, 576};

QImage skin(qreal dpr);
QImage calendar(qreal dpr);
QImage settingsPanel(qreal dpr);
QImage marker(qreal dpr);

// The picture shown until the first picture of the day arrives.
QImage placeholder(QSize size = placeholderSize);

} // namespace SkinArt
