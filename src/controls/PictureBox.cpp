// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/PictureBox.h"

#include "controls/PassMenu.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent, const QRect& geometry, const QColor& background,
                       Bitmap bitmap)
    : QWidget(parent), m_background(background), m_bitmap(std::move(bitmap))
{
    setGeometry(geometry);
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_background);
    if (m_bitmap)
        painter.drawImage(QPointF(0, 0), m_bitmap(devicePixelRatioF()));
}

void PictureBox::contextMenuEvent(QContextMenuEvent* event)
{
    passMenuToWindow(this, event);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
