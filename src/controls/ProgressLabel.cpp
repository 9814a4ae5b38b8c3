// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ProgressLabel.h"

#include <QPainter>

void ProgressLabel::setProgress(qreal fraction)
{
    fraction = fraction < 0 ? -1 : qMin(fraction, 1.0);
    if (qFuzzyCompare(fraction, m_progress))
        return;
    m_progress = fraction;
    update();
}

void ProgressLabel::paintEvent(QPaintEvent* event)
{
    SkinLabel::paintEvent(event);
    if (m_progress < 0)
        return;
    QPainter painter(this);
    const QRectF track(1, height() - 2.5, width() - 2, 2);
    painter.fillRect(track, QColor(190, 190, 190));
    painter.fillRect(QRectF(track.left(), track.top(), track.width() * m_progress, track.height()),
                     QColor(40, 90, 170));
}
