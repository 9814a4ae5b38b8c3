// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainter>
#include <QWidget>

// A one-pixel line between two points of its parent, both ends included. Like a line
// drawn on the window, it takes no mouse input.
class LineControl : public QWidget
{
public:
    LineControl(QWidget* parent, QPoint from, QPoint to, const QColor& colour)
        : QWidget(parent), m_colour(colour)
    {
        setGeometry(QRect(QPoint(qMin(from.x(), to.x()), qMin(from.y(), to.y())),
                          QPoint(qMax(from.x(), to.x()), qMax(from.y(), to.y()))));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
};
