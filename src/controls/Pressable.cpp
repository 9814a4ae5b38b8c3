// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/Pressable.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// The one focus mark of a window: a frame drawn over the controls, transparent to the
// mouse, shown round the control the keyboard focused.
class FocusMark : public QWidget
{
    Q_OBJECT
public:
    explicit FocusMark(QWidget* window) : QWidget(window)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

    static FocusMark* of(QWidget* window)
    {
        auto* mark = window->findChild<FocusMark*>(QString(), Qt::FindDirectChildrenOnly);
        return mark ? mark : new FocusMark(window);
    }

    void showAround(const QWidget* control)
    {
        // A press of the mouse anywhere on the window: the native window sees them all.
        if (QWindow* handle = parentWidget()->windowHandle(); handle != m_handle) {
            m_handle = handle;
            if (handle)
                handle->installEventFilter(this);
        }
        setGeometry(QRect(control->mapTo(parentWidget(), QPoint(0, 0)), control->size())
                        .adjusted(-2, -2, 2, 2));
        raise();
        show();
    }

    QColor outer{Qt::black};
    QColor inner{Qt::white};

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(outer);
        painter.drawRoundedRect(r, 3, 3);
        painter.setPen(inner);
        painter.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            hide();
        return false;
    }

private:
    QPointer<QWindow> m_handle;
};

// Lives on the control as its child: its keys, its focus, and the press for the
// accessible interface below.
class PressHandler : public QObject
{
    Q_OBJECT
public:
    PressHandler(QWidget* control, std::function<void()> press)
        : QObject(control), m_control(control), m_press(std::move(press))
    {
        control->installEventFilter(this);
    }

    void press()
    {
        if (m_control->isEnabled())
            m_press();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool pressKey = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                                  key->key() == Qt::Key_Enter;
            if (!pressKey || (key->modifiers() & ~Qt::KeypadModifier))
                return false;
            if (!key->isAutoRepeat())
                press();
            return true;
        }
        case QEvent::FocusIn: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                FocusMark::of(m_control->window())->showAround(m_control);
            return false;
        }
        case QEvent::FocusOut:
            FocusMark::of(m_control->window())->hide();
            return false;
        default:
            return false;
        }
    }

private:
    QWidget* m_control;
    std::function<void()> m_press;
};

PressHandler* handlerOf(QObject* object)
{
    return object ? object->findChild<PressHandler*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

// A button to assistive technology, named by its accessible name, whose first action
// presses it.
class AccessiblePressable : public QAccessibleWidget
{
public:
    explicit AccessiblePressable(QWidget* control) : QAccessibleWidget(control, QAccessible::Button)
    {
    }

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (PressHandler* handler = handlerOf(object()))
            handler->press();
    }
};

QAccessibleInterface* accessiblePressable(const QString&, QObject* object)
{
    return object->isWidgetType() && handlerOf(object)
               ? new AccessiblePressable(static_cast<QWidget*>(object))
               : nullptr;
}

} // namespace

namespace Pressable {

void make(QWidget* control, std::function<void()> press)
{
    static const bool accessible = (QAccessible::installFactory(accessiblePressable), true);
    Q_UNUSED(accessible);
    if (handlerOf(control))
        return;
    control->setFocusPolicy(Qt::TabFocus); // a click gives no focus, and draws no mark
    new PressHandler(control, std::move(press));
}

void setMarkColours(QWidget* window, const QColor& outer, const QColor& inner)
{
    FocusMark* mark = FocusMark::of(window);
    mark->outer = outer;
    mark->inner = inner;
}

} // namespace Pressable

#include "Pressable.moc"
