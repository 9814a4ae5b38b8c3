// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowMove.h"

#include "platform/Display.h"
#include "platform/X11Move.h"

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
// The window manager's move is asked for only for the left button, and at the first
// motion rather than at the press: it ends on a left release, so a move begun with another
// button, or a click (a touchpad tap) released before the manager took the pointer, would
// never end there. Once it is handed over, the manager has the pointer until the release;
// the next pointer event without a button is the end.
class PointerFollower : public QObject
{
public:
    PointerFollower(QWidget* window, QPoint pressedAt, std::function<void()> ended)
        : QObject(window), m_window(window), m_offset(pressedAt - window->pos()),
          m_ended(std::move(ended))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (m_handedOver) {
                if (mouse->buttons() == Qt::NoButton)
                    end();
            } else if (std::exchange(m_firstMove, false) && mouse->buttons() == Qt::LeftButton &&
                       x11::startMove(m_window->windowHandle(), m_offset)) {
                m_handedOver = true;
            } else {
                follow(mouse);
            }
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() == Qt::NoButton) {
                if (!m_handedOver)
                    follow(mouse); // a release may come with no motion reported before it
                end();
            }
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!m_handedOver)
                return true;
            end(); // a new press after the manager's move: the window's own again
            return false;
        default:
            return false;
        }
    }

private:
    void follow(const QMouseEvent* mouse)
    {
        m_window->move(mouse->globalPosition().toPoint() - m_offset);
    }
    void end()
    {
        m_window->removeEventFilter(this);
        if (m_ended)
            m_ended();
        deleteLater();
    }

    QWidget* m_window;
    QPoint m_offset;
    std::function<void()> m_ended;
    bool m_firstMove = true;
    bool m_handedOver = false;
};
} // namespace

void DragForm(QWidget* window, QPoint pressedAt, std::function<void()> ended)
{
    // The compositor knows the press and its button, and moves the window until the
    // release; the window learns nothing of where it went.
    if (nativeWayland() && window->windowHandle() && window->windowHandle()->startSystemMove()) {
        if (ended)
            ended();
        return;
    }
    new PointerFollower(window, pressedAt, std::move(ended));
}

} // namespace platform
