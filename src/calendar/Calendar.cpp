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

Calendar::Calendar(const Controls& controls, const QString& serverBase)
    : Days{controls.DayTemplate}, m_controls(controls), m_serverBase(serverBase)
{
    connect(controls.Label11, &HotSpot::clicked, this, &Calendar::Label11_Click);
    connect(controls.Label12, &HotSpot::clicked, this, &Calendar::Label12_Click);
    connect(controls.Label13, &HotSpot::clicked, this, &Calendar::Label13_Click);
    connect(controls.Label7, &HotSpot::clicked, this, &Calendar::Label7_Click);
    controls.LabelMnthShade->installEventFilter(this);
    controls.LabelMnthShade->setToolTip(QStringLiteral("Back to today"));
    controls.LabelMnthShade->setCursor(Qt::PointingHandCursor);
}

void Calendar::backToToday()
{
    MonthBrowsing = false;
    Timer1_Timer();
}

void Calendar::Timer1_Timer()
{
    const QDate today = platform::clock().today();
    const int year = MonthBrowsing ? ShownYear : today.year();
    const int month = MonthBrowsing ? ShownMonth : today.month();
    if (year == m_builtYear && month == m_builtMonth && today == m_builtToday)
        return;
    rebuild(year, month, today);
}

qint64 Calendar::msToNextDay()
{
    // A little past midnight: a coarse timer may wake a second early.
    const QDateTime now = platform::clock().now();
    return now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 0))) + 2000;
}

void Calendar::rebuild(int year, int month, const QDate& today)
{
    qDeleteAll(Days.begin() + 1, Days.end());
    Days.resize(1);

    const SkinLabel* const tmpl = Days[0];
    const MonthLayout layout = MonthLayout::of(year, month);
    for (int d = 1; d <= layout.days.size(); ++d) {
        auto* label = new SkinLabel(m_controls.Picture1, tmpl->geometry(), QString::number(d));
        label->setFont(tmpl->font());
        label->setPalette(tmpl->palette());
        label->adjustSize(); // sized to its digits, like the template
        label->move(layout.days[d - 1].left, layout.days[d - 1].top);
        label->installEventFilter(this);
        label->show();
        Days << label;
    }
    m_controls.LabelMnthShade->setText(layout.caption);

    // Only today's own month carries the marker.
    const bool todayShown = today.year() == year && today.month() == month;
    if (todayShown) {
        SkinLabel* label = Days[today.day()];
        const QRect r = label->geometry();
        m_controls.DaysChooseImg->setGeometry(r.left() - 1, r.top(), r.width() + 1, r.height());
        label->raise();
    }
    m_controls.DaysChooseImg->setVisible(todayShown);

    m_builtYear = year;
    m_builtMonth = month;
    m_builtToday = today;
    markDays();
}

void Calendar::setPicturesOn(std::function<int(const QDate&)> count)
{
    m_picturesOn = std::move(count);
    markDays();
}

void Calendar::markDays()
{
    if (!m_picturesOn)
        return;
    for (int d = 1; d < Days.size(); ++d) {
        const int pictures = m_picturesOn(QDate(m_builtYear, m_builtMonth, d));
        Days[d]->setToolTip(pictures == 0   ? QString()
                            : pictures == 1 ? QStringLiteral("1 picture this day")
                                            : QStringLiteral("%1 pictures this day").arg(pictures));
        if (pictures > 0)
            Days[d]->setCursor(Qt::PointingHandCursor);
        else
            Days[d]->unsetCursor();
    }
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
    if (label == m_controls.LabelMnthShade) {
        backToToday();
        return false;
    }
    const qsizetype d = Days.indexOf(label);
    const QDate day(m_builtYear, m_builtMonth, int(d));
    if (d > 0 && m_picturesOn && m_picturesOn(day) > 0)
        emit dayClicked(day);
    return false;
}

void Calendar::step(int months)
{
    // The first step starts from the month on screen, which follows today until then.
    if (!MonthBrowsing) {
        const QDate today = platform::clock().today();
        ShownYear = today.year();
        ShownMonth = today.month();
    }
    MonthBrowsing = true;
    const QDate shown = QDate(ShownYear, ShownMonth, 1).addMonths(months);
    ShownYear = shown.year();
    ShownMonth = shown.month();
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
