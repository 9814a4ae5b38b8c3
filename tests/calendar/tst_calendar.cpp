// SPDX-License-Identifier: GPL-3.0-or-later
// The month grid: where the days go, midnight on the injected clock, today's marker,
// the month arrows, and the calendar's two link buttons.
#include "FormFixture.h"
#include "calendar/CalendarsDialog.h"
#include "calendar/MonthLayout.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

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
    // '+' next month, '-' previous month, 'n' the clock passes midnight and the timer ticks,
    // 'j' the clock jumps three hours on (a resume), which the timer does not count.
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
        QTest::newRow("resumed past the month end") << QDate(2026, 4, 30) << "j" << 1 << "2026-05";
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
            else if (action == u'j')
                f.clock.jump(3 * 3600);
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

    // Days of the user's calendars: a holiday's number in the weekend headers' colour, a
    // 2 x 2 mark under a day with events, and the tooltip and accessible description
    // that say what is on; other days as before. The marks follow the month shown.
    void calendarMarks_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("C, whose short time has seconds") << QLocale::c();
    }
    void calendarMarks()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale); // "09:30" in both
        FormFixture f;
        const QByteArray head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\n";
        auto event = [](const QByteArray& when, const QByteArray& summary) {
            return "BEGIN:VEVENT\r\nUID:" + summary.toHex() + "\r\nDTSTART" + when +
                   "\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\n";
        };
        QByteArray events = head + event(":20261210T093000Z", "Dentist") +
                            event(":20261212T080000Z", "<b>Party</b>\\nlate");
        for (int i = 0; i < 9; ++i)
            events += event(":20261214T0" + QByteArray::number(i) + "0000Z", "Meeting");
        f.write("events.ics", events + "END:VCALENDAR\r\n");
        f.write("holidays.ics",
                head + event(";VALUE=DATE:20261225\r\nRRULE:FREQ=YEARLY", "Christmas") +
                    event(";VALUE=DATE:20261210", "Human Rights Day") + "END:VCALENDAR\r\n");
        f.write("Calendars.dat", "events\tWork\t" + f.path("events.ics").toUtf8() +
                                     "\nholidays\tPublic\t" + f.path("holidays.ics").toUtf8() +
                                     "\n");
        Form1& form = f.start();
        form.show(); // calendars are read once the window is up
        form.calendar().setPicturesOn([](const QDate& day) { return day.day() == 10 ? 2 : 0; });
        const QList<SkinLabel*>& days = CalendarProbe::dayLabels(form.calendar());
        QTRY_COMPARE(days[25]->toolTip(), "Christmas");
        QTRY_COMPARE(CalendarProbe::eventMarks(form.calendar()).size(), 3);
        const QColor dayBlue =
            f.ui().Picture1->findChild<SkinLabel*>()->palette().color(QPalette::WindowText);
        for (int d : {10, 25})
            QCOMPARE(days[d]->palette().color(QPalette::WindowText), QColor(255, 216, 150));
        for (int d : {11, 12, 14})
            QCOMPARE(days[d]->palette().color(QPalette::WindowText), dayBlue);
        QCOMPARE(days[10]->toolTip(), "Human Rights Day\n09:30 Dentist\n2 pictures this day");
        QCOMPARE(days[10]->accessibleDescription(), days[10]->toolTip());
        QCOMPARE(days[11]->toolTip(), "");
        QVERIFY(days[14]->accessibleDescription().startsWith("00:00 Meeting\n01:00 Meeting\n"));
        QVERIFY(days[14]->accessibleDescription().endsWith("\n07:00 Meeting\nand 1 more"));
        // Markup is shown as the text it is, on one line.
        QTextDocument shown;
        shown.setHtml(days[12]->toolTip());
        QCOMPARE(shown.toPlainText(), "08:00 <b>Party</b> late");
        // The mark of the 10th lies one pixel under its digits, in the gap between rows.
        const QRect label = days[10]->geometry();
        const auto under = [&](const QWidget* m) {
            return m->geometry().top() == label.bottom() + 2;
        };
        const QList<QWidget*> marks = CalendarProbe::eventMarks(form.calendar());
        QVERIFY(std::any_of(marks.begin(), marks.end(), [&](const QWidget* m) {
            return under(m) && m->size() == QSize(2, 2) && label.left() < m->x() &&
                   m->geometry().right() < label.right();
        }));

        form.calendar().Label12_Click();
        QTRY_VERIFY(CalendarProbe::eventMarks(form.calendar()).isEmpty());
        QCOMPARE(days[25]->toolTip(), "");
        for (int i = 0; i < 11; ++i)
            form.calendar().Label12_Click();
        QTRY_COMPARE(days[25]->toolTip(), "Christmas"); // December 2027, read anew
    }

    // "Calendars...", from the command table: a file added is read at once, its kind
    // changed and removed, each change kept in Calendars.dat; an address is shown without
    // its secrets; what is not a calendar is refused with a word.
    void calendarsDialog()
    {
        FormFixture f;
        f.write("work.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:"
                            "20261210\r\nSUMMARY:Fair\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        Form1& form = f.start();
        const QList<QAction*> actions = form.actions();
        const auto command = std::find_if(actions.begin(), actions.end(),
                                          [](QAction* a) { return a->text() == "Cal&endars..."; });
        QVERIFY(command != actions.end());
        (*command)->trigger();
        auto* dialog = form.findChild<CalendarsDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        auto* list = dialog->findChild<QTreeWidget*>();
        auto* kind = dialog->findChild<QComboBox*>();
        QCOMPARE(list->accessibleName(), "Calendars");
        QCOMPARE(kind->accessibleName(), "Kind");

        dialog->addSource(f.path("work.ics"));
        const QList<SkinLabel*>& days = CalendarProbe::dayLabels(form.calendar());
        QTRY_COMPARE(days[10]->toolTip(), "Fair");
        QVERIFY(list->topLevelItem(0)->text(3).startsWith("read "));
        QCOMPARE(f.read("Calendars.dat"), "events\twork\t" + f.path("work.ics").toUtf8() + "\r\n");
        kind->setCurrentIndex(1);
        emit kind->activated(1);
        QCOMPARE(f.read("Calendars.dat").left(9), "holidays\t");
        QCOMPARE(days[10]->palette().color(QPalette::WindowText), QColor(255, 216, 150));

        // Port 1 refuses at once: no network beyond this machine.
        const QString address = "https://me:pw@127.0.0.1:1/u/team.ics?token=secret";
        dialog->addSource(address);
        QCOMPARE(list->topLevelItem(1)->text(2), "https://127.0.0.1:1/u/team.ics");
        QCOMPARE(list->topLevelItem(1)->text(0), "team");
        for (const char* bad : {"ftp://cal.example/a.ics", "notes.ics"}) {
            dialog->addSource(bad);
            QVERIFY(!dialog->findChildren<QLabel*>().last()->text().isEmpty());
        }
        QCOMPARE(list->topLevelItemCount(), 2);
        list->setCurrentItem(list->topLevelItem(0));
        const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        QTest::mouseClick(*std::find_if(buttons.begin(), buttons.end(),
                                        [](QPushButton* b) { return b->text() == "&Remove"; }),
                          Qt::LeftButton);
        QCOMPARE(f.read("Calendars.dat"), "events\tteam\t" + address.toUtf8() + "\r\n");
        QCOMPARE(days[10]->toolTip(), "");
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
