// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ImageBox.h"

#include <QPainter>

ImageBox::ImageBox(QWidget* parent, const QRect& geometry) : HotSpot(parent, geometry) {}

void ImageBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void ImageBox::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_picture);
}
