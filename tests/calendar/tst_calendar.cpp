// SPDX-License-Identifier: GPL-3.0-or-later
// The month grid: where the days go, midnight on the injected clock, today's marker,
// the month arrows, and the calendar's two link buttons.
#include "FormFixture.h"
#include "calendar/MonthLayout.h"

#include <QSignalSpy>
#include <QTest>

#include <ctime>

using Places = QList<QPoint>;

class TestCalendar : public QObject
{
    Q_OBJECT

    // The grid shows `month`'s days where its layout puts them; the marker lies under
    // the label of `marked`, or is hidden when it is 0.
    static void verifyShown(FormFixture& f, QDate month, int marked)
    {
        const QList<SkinLabel*>& days = CalendarProbe::dayLabels(f.form->calendar());
        const MonthLayout layout = MonthLayout::of(month.year(), month.month());
        QCOMPARE(f.ui().LabelMnthShade->text(), layout.caption);
        QCOMPARE(days.size(), layout.days.size() + 1);
        // Every rebuild deletes the labels it replaces.
        QCOMPARE(f.ui().Picture1->findChildren<SkinLabel*>().size(), days.size());
        QVERIFY(!days[0]->isVisibleTo(f.ui().Picture1));
        for (int d = 1; d < days.size(); ++d) {
            QCOMPARE(days[d]->text(), QString::number(d));
            QCOMPARE(days[d]->pos(), QPoint(layout.days[d - 1].left, layout.days[d - 1].top));
            QVERIFY(days[d]->isVisibleTo(f.ui().Picture1));
        }
        QCOMPARE(f.ui().DaysChooseImg->isVisibleTo(f.ui().Picture1), marked > 0);
        if (marked > 0) {
            const QRect label = days[marked]->geometry();
            QVERIFY(f.ui().DaysChooseImg->geometry().contains(label));
            QCOMPARE(f.ui().Picture1->childAt(label.center()), days[marked]);
        }
    }

private slots:
    // The places of days 1, 9 and the last, each set off differently in its column.
    void layout_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("rows");
        QTest::addColumn<Places>("places");
        QTest::newRow("Thursday") << "June 2006" << 5 << Places{{109, 34}, {130, 48}, {125, 90}};
        QTest::newRow("31 days, Sunday")
            << "January 2006" << 6 << Places{{175, 34}, {42, 62}, {59, 104}};
        QTest::newRow("30 days, Sunday")
            << "September 2024" << 6 << Places{{175, 34}, {42, 62}, {37, 104}};
        QTest::newRow("31 days, Saturday")
            << "March 2025" << 6 << Places{{153, 34}, {174, 48}, {37, 104}};
        QTest::newRow("28 days, Monday")
            << "February 2010" << 4 << Places{{43, 34}, {64, 48}, {169, 76}};
        // Februaries: 2024 and 2000 are leap years, 1900 is not.
        QTest::newRow("2024") << "February 2024" << 5 << Places{{109, 34}, {130, 48}, {103, 90}};
        QTest::newRow("2000") << "February 2000" << 5 << Places{{65, 34}, {86, 48}, {59, 90}};
        QTest::newRow("1900") << "February 1900" << 5 << Places{{109, 34}, {130, 48}, {81, 90}};
    }
    void layout()
    {
        QFETCH(QString, caption);
        QFETCH(int, rows);
        QFETCH(Places, places);
        const QDate month = QDate::fromString(caption, "MMMM yyyy");
        const MonthLayout l = MonthLayout::of(month.year(), month.month());
        QCOMPARE(l.caption, caption);
        QCOMPARE(l.rows, rows);
        QCOMPARE(l.days.size(), month.daysInMonth());
        Places got;
        for (const MonthLayout::Place& p : {l.days[0], l.days[8], l.days.last()})
            got << QPoint(p.left, p.top);
        QCOMPARE(got, places);
    }

    // Each row starts at 23:59 on `start` and ticks idly at 23:59:59. Then the actions:
    // '+' next month, '-' previous month, 'n' the clock passes midnight and the timer ticks.
    void timeline_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<int>("marked");
        QTest::addColumn<QString>("shown");
        QTest::newRow("new day") << QDate(2026, 12, 6) << "n" << 7 << "2026-12";
        QTest::newRow("month end") << QDate(2026, 4, 30) << "n" << 1 << "2026-05";
        QTest::newRow("leap day") << QDate(2028, 2, 28) << "n" << 29 << "2028-02";
        QTest::newRow("after leap day") << QDate(2028, 2, 29) << "n" << 1 << "2028-03";
        QTest::newRow("year end") << QDate(2026, 12, 31) << "n" << 1 << "2027-01";
        QTest::newRow("next carries the year") << QDate(2026, 12, 6) << "+" << 0 << "2027-01";
        QTest::newRow("previous carries the year") << QDate(2027, 1, 6) << "-" << 0 << "2026-12";
        QTest::newRow("a year on") << QDate(2026, 12, 6) << QString(12, '+') << 0 << "2027-12";
        QTest::newRow("31st, April shown") << QDate(2026, 3, 31) << "+" << 0 << "2026-04";
        QTest::newRow("back to today's month") << QDate(2026, 3, 31) << "+-" << 31 << "2026-03";
        QTest::newRow("first step, month shown") << QDate(2027, 1, 31) << "n+" << 0 << "2027-03";
        QTest::newRow("browsing past midnight") << QDate(2026, 12, 6) << "+n" << 0 << "2027-01";
        QTest::newRow("browsed back, midnight") << QDate(2026, 12, 6) << "+-n" << 7 << "2026-12";
    }
    void timeline()
    {
        QFETCH(QDate, start);
        QFETCH(QString, actions);
        QFETCH(int, marked);
        QFETCH(QString, shown);
        FormFixture f;
        f.clock.time = QDateTime(start, QTime(23, 59));
        Form1& form = f.start();
        verifyShown(f, start, start.day());
        QCOMPARE(f.ui().Timer1->interval(), 62000); // asleep until just past midnight
        Calendar& calendar = form.calendar();
        // A tick later the same day rebuilds nothing.
        const QList<SkinLabel*> before = CalendarProbe::dayLabels(calendar);
        f.clock.time = f.clock.time.addSecs(59);
        calendar.Timer1_Timer();
        QCOMPARE(CalendarProbe::dayLabels(calendar), before);
        for (const QChar action : actions) {
            if (action == u'+')
                calendar.Label12_Click();
            else if (action == u'-')
                calendar.Label11_Click();
            else {
                f.clock.time = f.clock.time.addSecs(1);
                form.Timer1_Timer();
            }
        }
        verifyShown(f, QDate::fromString(shown + "-01", Qt::ISODate), marked);
    }

    // Where the clocks skip midnight (Santiago) or pass it twice (Havana), the calendar
    // timer still sleeps once until the next day's first moment, a minute away.
    void midnightInZones_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("start");
        QTest::newRow("skipped") << QByteArray("America/Santiago") << QDate(2026, 9, 5);
        QTest::newRow("twice") << QByteArray("America/Havana") << QDate(2026, 10, 31);
    }
    void midnightInZones()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, start);
        qputenv("TZ", zone);
        tzset();
        FormFixture f;
        f.clock.time = QDateTime(start, QTime(23, 59));
        f.start();
        QCOMPARE(f.ui().Timer1->interval(), 62000);
        qputenv("TZ", "UTC");
        tzset();
    }

    void linkButtons()
    {
        FormFixture f;
        Form1& form = f.start("http://pictures.example:8642");
        form.calendar().Label13_Click();
        form.calendar().Label7_Click();
        QCOMPARE(f.opened, (QList<QUrl>{QUrl("http://pictures.example:8642"),
                                        QUrl("http://pictures.example:8642/weather.htm")}));
    }

    // A day with pictures says how many and asks for them when clicked; other days do
    // neither, and the grid stays where it was.
    void daysWithPictures()
    {
        FormFixture f;
        Form1& form = f.start();
        const QRect marker = f.ui().DaysChooseImg->geometry();
        form.calendar().setPicturesOn([](const QDate& day) { return day.day() == 3 ? 2 : 0; });
        QSignalSpy clicked(&form.calendar(), &Calendar::dayClicked);
        for (int d : {3, 4, 1})
            QTest::mouseClick(CalendarProbe::dayLabels(form.calendar())[d], Qt::LeftButton);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.first().first().toDate(), QDate(2026, 12, 3));
        QCOMPARE(CalendarProbe::dayLabels(form.calendar())[3]->toolTip(), "2 pictures this day");
        QCOMPARE(CalendarProbe::dayLabels(form.calendar())[4]->toolTip(), "");
        verifyShown(f, QDate(2026, 12, 1), 6);
        QCOMPARE(f.ui().DaysChooseImg->geometry(), marker);
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
