#include "calendar/Calendar.h"

#include "app/Form1.h"
#include "calendar/MonthLayout.h"
#include "platform/Clock.h"
#include "platform/UrlOpener.h"

namespace {
const QColor dayBlue(170, 207, 249);
}

Calendar::Calendar(Form1& form) : m_form(form)
{
    connect(m_form.Label11, &HotSpot::clicked, this, &Calendar::Label11_Click);
    connect(m_form.Label12, &HotSpot::clicked, this, &Calendar::Label12_Click);
    connect(m_form.Label13, &HotSpot::clicked, this, &Calendar::Label13_Click);
    connect(m_form.Label7, &HotSpot::clicked, this, &Calendar::Label7_Click);
}

void Calendar::Timer1_Timer()
{
    const QDate today = platform::clock().today();
    const int year = m_form.MonthBrowsing ? m_form.ShownYear : today.year();
    const int month = m_form.MonthBrowsing ? m_form.ShownMonth : today.month();
    if (year == m_builtYear && month == m_builtMonth && today == m_builtToday)
        return;
    rebuild(year, month, today);
}

void Calendar::rebuild(int year, int month, const QDate& today)
{
    QList<SkinLabel*>& days = m_form.Days;
    qDeleteAll(days.begin() + 1, days.end());
    days.resize(1);

    SkinLabel* const tmpl = days[0];
    tmpl->setTextColour(dayBlue);
    const MonthLayout layout = MonthLayout::of(year, month);
    for (int d = 1; d <= layout.days.size(); ++d) {
        auto* label = new SkinLabel(m_form.Picture1, tmpl->geometry(), QString::number(d));
        label->setFont(tmpl->font());
        label->setPalette(tmpl->palette());
        label->adjustSize(); // sized to its digits, like the template
        label->move(layout.days[d - 1].left, layout.days[d - 1].top);
        label->show();
        days << label;
    }
    m_form.LabelMnthShade->setText(layout.caption);

    // Only today's own month carries the marker.
    const bool todayShown = today.year() == year && today.month() == month;
    if (todayShown) {
        SkinLabel* label = days[today.day()];
        const QRect r = label->geometry();
        m_form.DaysChooseImg->setGeometry(r.left() - 1, r.top(), r.width() + 1, r.height());
        label->raise();
    }
    m_form.DaysChooseImg->setVisible(todayShown);

    m_builtYear = year;
    m_builtMonth = month;
    m_builtToday = today;
}

void Calendar::step(int months)
{
    // The first step starts from the month on screen, which follows today until then.
    if (!m_form.MonthBrowsing) {
        const QDate today = platform::clock().today();
        m_form.ShownYear = today.year();
        m_form.ShownMonth = today.month();
    }
    m_form.MonthBrowsing = true;
    const QDate shown = QDate(m_form.ShownYear, m_form.ShownMonth, 1).addMonths(months);
    m_form.ShownYear = shown.year();
    m_form.ShownMonth = shown.month();
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
    platform::openUrl(QUrl(m_form.serverBase()));
}

void Calendar::Label7_Click()
{
    platform::openUrl(QUrl(m_form.serverBase() + QLatin1String("/weather.htm")));
}
