// The month grid's layout: where each day number goes, how many rows, the caption.
#include "calendar/MonthLayout.h"

#include <QTest>

class TestMonthLayout : public QObject
{
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QPoint>("day1");
        QTest::addColumn<QPoint>("day10");
        QTest::addColumn<QPoint>("last");
        // The three worked layouts.
        QTest::newRow("June 2006, Thursday") << 2006 << 6 << 4 << 30 << 5 << QPoint(109, 34) << QPoint(147, 48)
                                             << QPoint(125, 90);
        QTest::newRow("January 2006, Sunday") << 2006 << 1 << 7 << 31 << 6 << QPoint(175, 34) << QPoint(59, 62)
                                              << QPoint(59, 104);
        QTest::newRow("February 2010, Monday") << 2010 << 2 << 1 << 28 << 4 << QPoint(43, 34) << QPoint(81, 48)
                                               << QPoint(169, 76);
        // Every other weekday a month can start on.
        QTest::newRow("December 2026, Tuesday") << 2026 << 12 << 2 << 31 << 5 << QPoint(65, 34) << QPoint(103, 48)
                                                << QPoint(103, 90);
        QTest::newRow("April 2026, Wednesday") << 2026 << 4 << 3 << 30 << 5 << QPoint(87, 34) << QPoint(125, 48)
                                               << QPoint(103, 90);
        QTest::newRow("May 2026, Friday") << 2026 << 5 << 5 << 31 << 5 << QPoint(131, 34) << QPoint(169, 48)
                                          << QPoint(169, 90);
        QTest::newRow("August 2026, Saturday") << 2026 << 8 << 6 << 31 << 6 << QPoint(153, 34) << QPoint(37, 62)
                                               << QPoint(37, 104);
        // Leap years: 2000 and 2024 are, 1900 and 2100 are not.
        QTest::newRow("February 2000") << 2000 << 2 << 2 << 29 << 5 << QPoint(65, 34) << QPoint(103, 48)
                                       << QPoint(59, 90);
        QTest::newRow("February 1900") << 1900 << 2 << 4 << 28 << 5 << QPoint(109, 34) << QPoint(147, 48)
                                       << QPoint(81, 90);
        QTest::newRow("February 2024") << 2024 << 2 << 4 << 29 << 5 << QPoint(109, 34) << QPoint(147, 48)
                                       << QPoint(103, 90);
        QTest::newRow("February 2100") << 2100 << 2 << 1 << 28 << 4 << QPoint(43, 34) << QPoint(81, 48)
                                       << QPoint(169, 76);
        // A 30-day month starting on Sunday needs the sixth row.
        QTest::newRow("September 2024, Sunday") << 2024 << 9 << 7 << 30 << 6 << QPoint(175, 34) << QPoint(59, 62)
                                                << QPoint(37, 104);
    }
    void layout()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(int, rows);
        QFETCH(QPoint, day1);
        QFETCH(QPoint, day10);
        QFETCH(QPoint, last);
        const MonthLayout l = MonthLayout::of(year, month);
        QCOMPARE(l.firstColumn, column);
        QCOMPARE(l.days.size(), length);
        QCOMPARE(l.rows, rows);
        const auto at = [&](int d) { return QPoint(l.days[d - 1].left, l.days[d - 1].top); };
        QCOMPARE(at(1), day1);
        QCOMPARE(at(10), day10);
        QCOMPARE(at(length), last);
    }

    // Day 2 after a Sunday start opens the second row at column 1; days 3 and 10
    // share a column five pixels apart.
    void columnsAndRows()
    {
        const MonthLayout sunday = MonthLayout::of(2006, 1);
        QCOMPARE(sunday.days[1], (MonthLayout::Place{42, 48}));
        const MonthLayout thursday = MonthLayout::of(2006, 6);
        QCOMPARE(thursday.days[2].left - thursday.days[9].left, 5);
        // Every day of a month stays on the grid's seven columns and six rows.
        for (int m = 1; m <= 12; ++m) {
            for (const MonthLayout::Place& p : MonthLayout::of(2027, m).days) {
                QVERIFY(p.left >= 37 && p.left <= 43 + 22 * 6);
                QVERIFY(p.top >= 34 && p.top <= 104 && (p.top - 34) % 14 == 0);
            }
        }
    }

    void caption_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<QString>("caption");
        QTest::newRow("January") << 2006 << 1 << "January 2006";
        QTest::newRow("December") << 2006 << 12 << "December 2006";
        QTest::newRow("September") << 2027 << 9 << "September 2027";
    }
    void caption()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(QString, caption);
        QCOMPARE(MonthLayout::of(year, month).caption, caption);
    }
};

QTEST_APPLESS_MAIN(TestMonthLayout)
#include "tst_monthlayout.moc"
