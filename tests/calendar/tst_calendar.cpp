// The month grid on the window: rebuilds, midnight rollover, the today marker, the
// month arrows and the two link buttons.
#include "FormFixture.h"
#include "calendar/Calendar.h"
#include "calendar/MonthLayout.h"

#include <QTest>

class TestCalendar : public QObject
{
    Q_OBJECT

    // The grid must show exactly the month's days, each where the layout puts it.
    static void verifyGrid(Form1& form, int year, int month)
    {
        const MonthLayout layout = MonthLayout::of(year, month);
        QCOMPARE(form.LabelMnthShade->text(), layout.caption);
        QCOMPARE(form.Days.size(), layout.days.size() + 1);
        QVERIFY(!form.Days[0]->isVisibleTo(form.Picture1));
        for (int d = 1; d < form.Days.size(); ++d) {
            const SkinLabel* label = form.Days[d];
            QCOMPARE(label->text(), QString::number(d));
            QCOMPARE(label->pos(), QPoint(layout.days[d - 1].left, layout.days[d - 1].top));
            QVERIFY(label->isVisibleTo(form.Picture1));
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(170, 207, 249));
        }
    }
    // The marker sits behind today's label, which is drawn over it.
    static void verifyMarker(Form1& form, int day)
    {
        if (day == 0) {
            QVERIFY(!form.DaysChooseImg->isVisibleTo(form.Picture1));
            return;
        }
        QVERIFY(form.DaysChooseImg->isVisibleTo(form.Picture1));
        const QRect label = form.Days[day]->geometry();
        QCOMPARE(form.DaysChooseImg->geometry(),
                 QRect(label.left() - 1, label.top(), label.width() + 1, label.height()));
        QCOMPARE(form.Picture1->childAt(label.center()), form.Days[day]);
    }

private slots:
    void startupShowsTodaysMonth()
    {
        FormFixture f;
        f.clock.time = QDateTime(QDate(2006, 1, 14), QTime(9, 0));
        Form1& form = f.start();
        verifyGrid(form, 2006, 1);
        verifyMarker(form, 14);
    }

    void rolloverAtMidnight_data()
    {
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<int>("nextYear");
        QTest::addColumn<int>("nextMonth");
        QTest::addColumn<int>("nextDay");
        QTest::newRow("new day") << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)) << 2026 << 12 << 7;
        QTest::newRow("new month") << QDateTime(QDate(2026, 4, 30), QTime(23, 59, 59)) << 2026 << 5 << 1;
        QTest::newRow("leap day") << QDateTime(QDate(2028, 2, 28), QTime(23, 59, 59)) << 2028 << 2 << 29;
        QTest::newRow("new year") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << 2027 << 1 << 1;
    }
    void rolloverAtMidnight()
    {
        QFETCH(QDateTime, before);
        QFETCH(int, nextYear);
        QFETCH(int, nextMonth);
        QFETCH(int, nextDay);
        FormFixture f;
        f.clock.time = before;
        Form1& form = f.start();
        verifyGrid(form, before.date().year(), before.date().month());
        verifyMarker(form, before.date().day());
        f.clock.time = before.addSecs(1);
        form.Timer1_Timer();
        verifyGrid(form, nextYear, nextMonth);
        verifyMarker(form, nextDay);
    }

    // Arrows step through the months and carry the year; twelve steps come back to the
    // same month a year away.
    void navigation()
    {
        FormFixture f;
        f.clock.time = QDateTime(QDate(2026, 12, 6), QTime(10, 0));
        Form1& form = f.start();
        Calendar& calendar = form.calendar();
        calendar.Label12_Click();
        verifyGrid(form, 2027, 1);
        verifyMarker(form, 0);
        QVERIFY(form.MonthBrowsing);
        calendar.Label11_Click();
        verifyGrid(form, 2026, 12);
        verifyMarker(form, 6);
        for (int i = 0; i < 12; ++i)
            calendar.Label12_Click();
        verifyGrid(form, 2027, 12);
        verifyMarker(form, 0);
        for (int i = 0; i < 12; ++i)
            calendar.Label11_Click();
        verifyGrid(form, 2026, 12);
        for (int i = 0; i < 12; ++i)
            calendar.Label11_Click();
        verifyGrid(form, 2025, 12);
        // Browsing stays put when the timer ticks, and when the day changes.
        f.clock.time = f.clock.time.addDays(1);
        form.Timer1_Timer();
        verifyGrid(form, 2025, 12);
        verifyMarker(form, 0);
    }

    // A widget left running into a new month steps from the month it shows.
    void firstStepStartsFromTheShownMonth()
    {
        FormFixture f;
        f.clock.time = QDateTime(QDate(2026, 12, 31), QTime(23, 0));
        Form1& form = f.start();
        f.clock.time = QDateTime(QDate(2027, 2, 1), QTime(8, 0));
        form.Timer1_Timer();
        verifyGrid(form, 2027, 2);
        form.calendar().Label12_Click();
        verifyGrid(form, 2027, 3);
    }

    // Today the 31st while a 30-day month is shown: no marker, no crash.
    void markerOnlyInTodaysMonth()
    {
        FormFixture f;
        f.clock.time = QDateTime(QDate(2026, 3, 31), QTime(12, 0));
        Form1& form = f.start();
        verifyMarker(form, 31);
        form.calendar().Label12_Click(); // April has 30 days
        verifyGrid(form, 2026, 4);
        verifyMarker(form, 0);
        form.calendar().Label11_Click();
        verifyMarker(form, 31);
    }

    void rebuildsDoNotLeak()
    {
        FormFixture f;
        Form1& form = f.start();
        const auto children = [&] { return form.Picture1->findChildren<QWidget*>().size(); };
        form.calendar().Label12_Click();
        const qsizetype once = children();
        for (int i = 0; i < 5000; ++i) {
            form.calendar().Label11_Click();
            form.calendar().Label12_Click();
        }
        QCOMPARE(children(), once);
        QCOMPARE(form.Days.size(), MonthLayout::of(2027, 1).days.size() + 1);
    }

    // A tick that changes nothing leaves the labels as they are.
    void idleTickTouchesNothing()
    {
        FormFixture f;
        Form1& form = f.start();
        const QList<SkinLabel*> before = form.Days;
        f.clock.time = f.clock.time.addSecs(60);
        form.Timer1_Timer();
        QCOMPARE(form.Days, before);
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
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
