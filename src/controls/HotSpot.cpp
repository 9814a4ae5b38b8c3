// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/HotSpot.h"

#include "controls/PassMenu.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace {
QAccessibleInterface* accessibleHotSpot(const QString&, QObject* object)
{
    // Only one that says what it does: a hot spot may serve as a bare picture too.
    auto* spot = qobject_cast<HotSpot*>(object);
    return spot && !spot->accessibleName().isEmpty()
               ? new QAccessibleWidget(spot, QAccessible::Button)
               : nullptr;
}
} // namespace

HotSpot::HotSpot(QWidget* parent, const QRect& geometry) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(accessibleHotSpot), true);
    Q_UNUSED(accessible);
    setGeometry(geometry);
    // A press on a control is the control's: it must never reach the window and move it.
    setAttribute(Qt::WA_NoMousePropagation);
}

void HotSpot::describe(const QString& what)
{
    setToolTip(what);
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
