#include "hover/HoverTracker.h"

#include "controls/LineControl.h"
#include "controls/SkinLabel.h"
#include "hover/HitTest.h"
#include "platform/CursorPosition.h"

#include <QTimer>

namespace {
const QString mouseOver = QStringLiteral("MouseOver");
const QString mouseOut = QStringLiteral("MouseOut");
} // namespace

HoverTracker::HoverTracker(const Controls& controls) : m_controls(controls)
{
    connect(controls.CursorEvents, &QTimer::timeout, this, &HoverTracker::CursorEvents_Timer);
}

void HoverTracker::CursorEvents_Timer()
{
    // Screen coordinates throughout: the box follows the window wherever it was
    // dragged, and shows even when another window covers the picture.
    const bool over =
        HitTest::CursorOverControl(platform::cursorPos(), m_controls.window->geometry().topLeft(),
                                   m_controls.Image1Label->geometry());
    const QString& tag = m_controls.Image1Label->tag();
    if (over && tag == mouseOut)
        ShowHoverBox();
    else if (!over && tag == mouseOver)
        HideHoverBox();
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
    for (LineControl* line : m_controls.Lines)
        line->setVisible(shown);
    m_controls.Image1Label->setTag(shown ? mouseOver : mouseOut);
}
