#include "hover/HoverTracker.h"

#include "app/Form1.h"
#include "hover/HitTest.h"
#include "platform/CursorPosition.h"

namespace {
const QString mouseOver = QStringLiteral("MouseOver");
const QString mouseOut = QStringLiteral("MouseOut");
} // namespace

HoverTracker::HoverTracker(Form1& form) : m_form(form)
{
    connect(m_form.CursorEvents, &QTimer::timeout, this, &HoverTracker::CursorEvents_Timer);
}

void HoverTracker::CursorEvents_Timer()
{
    // Screen coordinates throughout: the box follows the window wherever it was
    // dragged, and shows even when another window covers the picture.
    const bool over = HitTest::CursorOverControl(platform::cursorPos(), m_form.geometry().topLeft(),
                                                 m_form.Image1Label->geometry());
    const QString& tag = m_form.Image1Label->tag();
    if (over && tag == mouseOut)
        ShowHoverBox();
    else if (!over && tag == mouseOver)
        HideHoverBox();
}

void HoverTracker::ShowHoverBox()
{
    for (QWidget* line : {m_form.Line1, m_form.Line2, m_form.Line3, m_form.Line4})
        line->show();
    m_form.Image1Label->setTag(mouseOver);
}

void HoverTracker::HideHoverBox()
{
    for (QWidget* line : {m_form.Line1, m_form.Line2, m_form.Line3, m_form.Line4})
        line->hide();
    m_form.Image1Label->setTag(mouseOut);
}
