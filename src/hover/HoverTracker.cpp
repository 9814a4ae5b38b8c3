// SPDX-License-Identifier: GPL-3.0-or-later
#include "hover/HoverTracker.h"

#include "controls/LineControl.h"
#include "controls/SkinLabel.h"
#include "hover/HitTest.h"
#include "platform/CursorPosition.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {
const QString mouseOver = QStringLiteral("MouseOver");
const QString mouseOut = QStringLiteral("MouseOut");
} // namespace

HoverTracker::HoverTracker(const Controls& controls) : m_controls(controls)
{
    connect(controls.pointerPoll, &QTimer::timeout, this, &HoverTracker::CursorEvents_Timer);
    controls.window->installEventFilter(this);
}

bool HoverTracker::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        // The native window's own events too: after a move by the window system (the
        // compositor's, on Wayland) the pointer enters the window but no widget hears of
        // it. A change of flags makes a new native window.
        if (QWindow* handle = m_controls.window->windowHandle(); handle != m_handle) {
            m_handle = handle;
            if (handle)
                handle->installEventFilter(this);
        }
        [[fallthrough]];
    case QEvent::Enter:     // a window that maps under the pointer gets none: its first
    case QEvent::MouseMove: // tick tells
        if (!m_controls.pointerPoll->isActive())
            m_controls.pointerPoll->start();
        break;
    default:
        break;
    }
    return false;
}

void HoverTracker::CursorEvents_Timer()
{
    // Screen coordinates throughout: the box follows the window wherever it was
    // dragged, and shows even when another window covers the picture.
    const QPoint pointer = platform::cursorPos();
    const bool over = HitTest::CursorOverControl(pointer, m_controls.window->geometry().topLeft(),
                                                 m_controls.hoverArea->geometry());
    const QString& tag = m_controls.hoverArea->tag();
    if (over && tag == mouseOut)
        ShowHoverBox();
    else if (!over && tag == mouseOver)
        HideHoverBox();
    if (!m_controls.window->geometry().contains(pointer))
        m_controls.pointerPoll->stop(); // until the pointer enters again
}

void HoverTracker::ShowHoverBox()
{
    showBox(true);
}

void HoverTracker::HideHoverBox()
{
    showBox(false);
}

void HoverTracker::showBox(bool shown)
{
    for (LineControl* line : m_controls.boxLines)
        line->setVisible(shown);
    m_controls.hoverArea->setTag(shown ? mouseOver : mouseOut);
}
