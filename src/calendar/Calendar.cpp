// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/Calendar.h"

#include "calendar/MonthLayout.h"
#include "controls/HotSpot.h"
#include "controls/ImageBox.h"
#include "controls/PictureBox.h"
#include "controls/SkinLabel.h"
#include "platform/Clock.h"
#include "platform/ServerPaths.h"
#include "platform/UrlOpener.h"

#include <QMouseEvent>
#include <QTimeZone>

Calendar::Calendar(const Controls& controls, const QString& serverBase)
    : m_dayLabels{controls.dayTemplate}, m_controls(controls), m_serverBase(serverBase)
{
    connect(controls.previousButton, &HotSpot::clicked, this, &Calendar::Label11_Click);
    connect(controls.nextButton, &HotSpot::clicked, this, &Calendar::Label12_Click);
    connect(controls.homeLink, &HotSpot::clicked, this, &Calendar::Label13_Click);
    connect(controls.weatherLink, &HotSpot::clicked, this, &Calendar::Label7_Click);
    controls.monthCaption->installEventFilter(this);
    controls.monthCaption->setToolTip(QStringLiteral("Back to today"));
    controls.monthCaption->setCursor(Qt::PointingHandCursor);
    // The caption's face to the keyboard and to screen readers; the mouse clicks the label.
    controls.captionButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    controls.captionButton->describe(controls.monthCaption->toolTip());
    connect(controls.captionButton, &HotSpot::clicked, this, &Calendar::backToToday);
}

void Calendar::backToToday()
{
    m_browsing = false;
    Timer1_Timer();
}

void Calendar::Timer1_Timer()
{
    const QDate today = platform::clock().today();
    const int year = m_browsing ? m_shownYear : today.year();
    const int month = m_browsing ? m_shownMonth : today.month();
    if (year == m_builtYear && month == m_builtMonth && today == m_builtToday)
        return;
    rebuild(year, month, today);
}

qint64 Calendar::msToNextDay()
{
    // A little past the next day's first moment: a coarse timer may wake a second early.
    // That moment is not always midnight: where the clocks skip it the day starts an hour
    // later, and where midnight comes twice the day starts at the first.
    const QDateTime now = platform::clock().now();
    const QDate tomorrow = now.date().addDays(1);
    const QDateTime start = now.timeSpec() == Qt::TimeZone
                                ? tomorrow.startOfDay(now.timeZone())
                                : tomorrow.startOfDay(now.timeSpec(), now.offsetFromUtc());
    return now.msecsTo(start) + 2000;
}

void Calendar::rebuild(int year, int month, const QDate& today)
{
    qDeleteAll(m_dayLabels.begin() + 1, m_dayLabels.end());
    m_dayLabels.resize(1);

    const SkinLabel* const tmpl = m_dayLabels[0];
    const MonthLayout layout = MonthLayout::of(year, month);
    for (int d = 1; d <= layout.days.size(); ++d) {
        auto* label = new SkinLabel(m_controls.calendarBox, tmpl->geometry(), QString::number(d));
        label->setFont(tmpl->font());
        label->setPalette(tmpl->palette());
        label->adjustSize(); // sized to its digits, like the template
        label->move(layout.days[d - 1].left, layout.days[d - 1].top);
        label->installEventFilter(this);
        label->show();
        m_dayLabels << label;
    }
    m_controls.monthCaption->setText(layout.caption);
    m_controls.captionButton->setAccessibleName(layout.caption);

    // Only today's own month carries the marker.
    const bool todayShown = today.year() == year && today.month() == month;
    if (todayShown) {
        SkinLabel* label = m_dayLabels[today.day()];
        const QRect r = label->geometry();
        m_controls.todayMarker->setGeometry(r.left() - 1, r.top(), r.width() + 1, r.height());
        label->raise();
    }
    m_controls.todayMarker->setVisible(todayShown);

    m_builtYear = year;
    m_builtMonth = month;
    m_builtToday = today;
    emit monthShown(year, month);
    markDays();
}

void Calendar::setPicturesOn(std::function<int(const QDate&)> count)
{
    m_picturesOn = std::move(count);
    markDays();
}

void Calendar::setNotesOn(std::function<DayNotes(const QDate&)> notes)
{
    m_notesOn = std::move(notes);
    markDays();
}

void Calendar::markDays()
{
    qDeleteAll(std::exchange(m_eventMarks, {}));
    if (!m_picturesOn && !m_notesOn)
        return;
    for (int d = 1; d < m_dayLabels.size(); ++d) {
        const QDate day(m_builtYear, m_builtMonth, d);
        const int pictures = m_picturesOn ? m_picturesOn(day) : 0;
        const DayNotes notes = m_notesOn ? m_notesOn(day) : DayNotes();
        SkinLabel* label = m_dayLabels[d];
        markDay(label, notes, DayText::describe(notes, pictures));
        if (pictures > 0)
            label->setCursor(Qt::PointingHandCursor);
        else
            label->unsetCursor();
    }
}

void Calendar::markDay(SkinLabel* label, const DayNotes& notes, const QString& text)
{
    // A summary is plain text, even one that looks like markup.
    label->setToolTip(Qt::mightBeRichText(text)
                          ? QStringLiteral("<p style='white-space:pre'>%1</p>")
                                .arg(text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")))
                          : text);
    label->setAccessibleDescription(text);
    label->setPalette(notes.holidays.isEmpty() ? m_dayLabels[0]->palette() : [&] {
        QPalette p = m_dayLabels[0]->palette();
        p.setColor(QPalette::WindowText, m_controls.holidayColour);
        return p;
    }());
    if (notes.events.isEmpty())
        return;
    // 2 x 2 pixels, one under the digits, in the space between two rows.
    auto* mark = new QWidget(m_controls.calendarBox);
    mark->setAttribute(Qt::WA_TransparentForMouseEvents);
    mark->setAutoFillBackground(true);
    QPalette p = mark->palette();
    p.setColor(QPalette::Window, m_controls.holidayColour);
    mark->setPalette(p);
    const QRect r = label->geometry();
    mark->setGeometry(r.center().x(), r.bottom() + 2, 2, 2);
    mark->show();
    m_eventMarks << mark;
}

bool Calendar::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the caption, or on a day with pictures: released where it was pressed,
    // as a button's.
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* release = static_cast<QMouseEvent*>(event);
    auto* label = static_cast<SkinLabel*>(watched);
    if (release->button() != Qt::LeftButton ||
        !label->rect().contains(release->position().toPoint()))
        return false;
    if (label == m_controls.monthCaption) {
        backToToday();
        return false;
    }
    const qsizetype d = m_dayLabels.indexOf(label);
    const QDate day(m_builtYear, m_builtMonth, int(d));
    if (d > 0 && m_picturesOn && m_picturesOn(day) > 0)
        emit dayClicked(day);
    return false;
}

void Calendar::step(int months)
{
    // The first step starts from the month on screen, which follows today until then.
    if (!m_browsing) {
        const QDate today = platform::clock().today();
        m_shownYear = today.year();
        m_shownMonth = today.month();
    }
    m_browsing = true;
    const QDate shown = QDate(m_shownYear, m_shownMonth, 1).addMonths(months);
    m_shownYear = shown.year();
    m_shownMonth = shown.month();
    Timer1_Timer();
}

void Calendar::Label11_Click()
{
    step(-1);
}

void Calendar::Label12_Click()
{
    step(1);
}

void Calendar::Label13_Click()
{
    platform::openUrl(QUrl(m_serverBase));
}

void Calendar::Label7_Click()
{
    platform::openUrl(QUrl(m_serverBase + ServerPaths::weather));
}
