// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowMove.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace platform {

namespace {
// Takes the window's mouse events from the press until no button is held, and moves the
// window with the pointer meanwhile. Presses in between belong to this move, so only one
// runs at a time.
//
// The window system's move is asked for only for the left button, and at the first
// motion rather than at the press: Qt asks the window manager for a move that ends on a
// left release (_NET_WM_MOVERESIZE with button 1), so a move begun with another button,
// or a click (a touchpad tap) released before the manager took the pointer, would never
// end there. The window is not moved here before that: the manager moves it from where
// it saw it last, so a move of ours just before would be undone.
class PointerFollower : public QObject
{
public:
    PointerFollower(QWidget* window, QPoint pressedAt)
        : QObject(window), m_window(window), m_offset(pressedAt - window->pos())
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (std::exchange(m_firstMove, false) && mouse->buttons() == Qt::LeftButton &&
                m_window->windowHandle()->startSystemMove())
                end();
            else
                m_window->move(mouse->globalPosition().toPoint() - m_offset);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                end();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

private:
    void end()
    {
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    QPoint m_offset;
    bool m_firstMove = true;
};
} // namespace

void DragForm(QWidget* window, QPoint pressedAt)
{
    new PointerFollower(window, pressedAt);
}

} // namespace platform
