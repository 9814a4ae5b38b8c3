// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/SkinLabel.h"

#include "controls/PassMenu.h"

#include <QMouseEvent>

SkinLabel::SkinLabel(QWidget* parent, const QRect& geometry, const QString& text)
    : QLabel(text, parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_NoMousePropagation);
    setTextColour(Qt::black);
}

void SkinLabel::setOpaque(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    setAutoFillBackground(true);
}

void SkinLabel::setTextColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void SkinLabel::contextMenuEvent(QContextMenuEvent* event)
{
    passMenuToWindow(this, event);
}

void SkinLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
