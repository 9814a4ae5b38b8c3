// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/HotSpot.h"

#include "controls/PassMenu.h"
#include "controls/Pressable.h"

#include <QMouseEvent>

HotSpot::HotSpot(QWidget* parent, const QRect& geometry) : QWidget(parent)
{
    setGeometry(geometry);
    // A press on a control is the control's: it must never reach the window and move it.
    setAttribute(Qt::WA_NoMousePropagation);
}

void HotSpot::describe(const QString& what)
{
    setToolTip(what);
    name(what);
}

void HotSpot::name(const QString& what)
{
    Pressable::make(this, [this] { emit clicked(); });
    setAccessibleName(what);
}

void HotSpot::contextMenuEvent(QContextMenuEvent* event)
{
    passMenuToWindow(this, event);
}

void HotSpot::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void HotSpot::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}
