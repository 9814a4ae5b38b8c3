#include "platform/WindowMove.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {
// Moves its window with the pointer until any mouse button is released, then
// removes itself.
class PointerFollower : public QObject
{
public:
    PointerFollower(QWidget* window, QPoint pressedAt)
        : QObject(window), m_window(window), m_offset(pressedAt - window->pos())
    {
        setObjectName(name);
        window->installEventFilter(this);
    }

    static inline const QString name = QStringLiteral("artcal-pointer-follower");

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove) {
            m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_offset);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            deleteLater();
            m_window->removeEventFilter(this);
            return true;
        }
        return false;
    }

private:
    QWidget* m_window;
    QPoint m_offset;
};
} // namespace

void DragForm(QWidget* window, QPoint pressedAt)
{
    QWindow* handle = window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    if (!window->findChild<QObject*>(PointerFollower::name, Qt::FindDirectChildrenOnly))
        new PointerFollower(window, pressedAt);
}

} // namespace platform
