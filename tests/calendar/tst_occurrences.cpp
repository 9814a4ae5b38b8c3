// SPDX-License-Identifier: GPL-3.0-or-later
// The days a calendar file's events fall on, read with libical, and the files it refuses.
#include "calendar/Occurrences.h"

#include <QTest>

namespace {
// `body` with '|' for line ends, '{' and '}' for an event's first and last lines.
QByteArray calendar(QByteArray body, const QByteArray& lineEnd = "\r\n")
{
    body.replace("{", "BEGIN:VEVENT|UID:u1|").replace("}", "|END:VEVENT");
    QByteArray text =
        "BEGIN:VCALENDAR|VERSION:2.0|PRODID:-//artcal//test//EN|" + body + "|END:VCALENDAR|";
    return text.replace("|", lineEnd);
}

// Each day of `month` an occurrence covers, "9" or, the day it starts, "9@09:30".
QString daysIn(const Occurrences& found, QDate month)
{
    QStringList days;
    for (const Occurrence& o : found.items) {
        for (QDate d = o.first; d <= o.last; d = d.addDays(1)) {
            if (d.month() == month.month() && d.year() == month.year())
                days << QString::number(d.day()) + (d == o.first && o.start.isValid()
                                                        ? "@" + o.start.toString("HH:mm")
                                                        : "");
        }
    }
    return days.join(' ');
}

Occurrences inMonth(const QByteArray& text, QDate month, const QByteArray& zone)
{
    return Occurrences::of(text, month, month.addMonths(1).addDays(-1), QTimeZone(zone));
}
} // namespace

class TestOccurrences : public QObject
{
    Q_OBJECT
private slots:
    void days_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("days");
        const QDate dec(2026, 12, 1);
        const QByteArray weekly = "{DTSTART:20261207T090000Z|DTEND:20261207T100000Z|"
                                  "RRULE:FREQ=WEEKLY;BYDAY=MO|SUMMARY:Weekly}";
        QTest::newRow("UTC") << QByteArray("{DTSTART:20261210T093000Z|DTEND:20261210T103000Z}")
                             << dec << QByteArray("UTC") << "10@09:30";
        QTest::newRow("TZID libical knows")
            << QByteArray("{DTSTART;TZID=Europe/Berlin:20261210T093000|DURATION:PT1H}") << dec
            << QByteArray("UTC") << "10@08:30";
        QTest::newRow("embedded VTIMEZONE")
            << QByteArray("BEGIN:VTIMEZONE|TZID:Office|BEGIN:STANDARD|DTSTART:19700101T000000|"
                          "TZOFFSETFROM:+0500|TZOFFSETTO:+0500|END:STANDARD|END:VTIMEZONE|"
                          "{DTSTART;TZID=Office:20261210T100000}")
            << dec << QByteArray("UTC") << "10@05:00";
        QTest::newRow("floating") << QByteArray("{DTSTART:20261210T093000}") << dec
                                  << QByteArray("America/New_York") << "10@09:30";
        QTest::newRow("seen in another zone") << QByteArray("{DTSTART:20261210T233000Z}") << dec
                                              << QByteArray("Asia/Tokyo") << "11@08:30";
        QTest::newRow("all day at UTC-10")
            << QByteArray("{DTSTART;VALUE=DATE:20261225|DTEND;VALUE=DATE:20261226}") << dec
            << QByteArray("Pacific/Honolulu") << "25";
        QTest::newRow("all day at UTC+13")
            << QByteArray("{DTSTART;VALUE=DATE:20261225|DTEND;VALUE=DATE:20261226}") << dec
            << QByteArray("Pacific/Tongatapu") << "25";
        QTest::newRow("all day, no end") << QByteArray("{DTSTART;VALUE=DATE:20261225}") << dec
                                         << QByteArray("Pacific/Tongatapu") << "25";
        QTest::newRow("days over the month's end")
            << QByteArray("{DTSTART;VALUE=DATE:20261229|DTEND;VALUE=DATE:20270102}") << dec
            << QByteArray("UTC") << "29 30 31";
        QTest::newRow("... in the next month")
            << QByteArray("{DTSTART;VALUE=DATE:20261229|DTEND;VALUE=DATE:20270102}")
            << QDate(2027, 1, 1) << QByteArray("UTC") << "1";
        QTest::newRow("begun the month before")
            << QByteArray("{DTSTART:20261130T200000Z|DTEND:20261201T020000Z}") << dec
            << QByteArray("UTC") << "1";
        QTest::newRow("begun months before, by DTEND")
            << QByteArray("{DTSTART;VALUE=DATE:20261001|DTEND;VALUE=DATE:20261204}") << dec
            << QByteArray("UTC") << "1 2 3";
        QTest::newRow("begun months before, by DURATION")
            << QByteArray("{DTSTART:20261001T000000Z|DURATION:P9W5DT1H}") << dec
            << QByteArray("UTC") << "1 2 3 4 5 6 7 8";
        QTest::newRow("DURATION past midnight")
            << QByteArray("{DTSTART:20261210T220000Z|DURATION:PT4H}") << dec << QByteArray("UTC")
            << "10@22:00 11";
        QTest::newRow("ends at midnight")
            << QByteArray("{DTSTART:20261210T220000Z|DTEND:20261211T000000Z}") << dec
            << QByteArray("UTC") << "10@22:00";
        QTest::newRow("all-day DURATION")
            << QByteArray("{DTSTART;VALUE=DATE:20261210|DURATION:P3D}") << dec << QByteArray("UTC")
            << "10 11 12";
        QTest::newRow("weekly") << weekly << dec << QByteArray("UTC")
                                << "7@09:00 14@09:00 21@09:00 28@09:00";
        QTest::newRow("yearly since 1990")
            << QByteArray("{DTSTART;VALUE=DATE:19900310|RRULE:FREQ=YEARLY}") << QDate(2026, 3, 1)
            << QByteArray("UTC") << "10";
        QTest::newRow("UNTIL")
            << QByteArray("{DTSTART:20261201T090000Z|RRULE:FREQ=DAILY;UNTIL=20261205T000000Z}")
            << dec << QByteArray("UTC") << "1@09:00 2@09:00 3@09:00 4@09:00";
        QTest::newRow("COUNT into the next year")
            << QByteArray("{DTSTART;VALUE=DATE:20261230|RRULE:FREQ=DAILY;COUNT=3}")
            << QDate(2027, 1, 1) << QByteArray("UTC") << "1";
        QTest::newRow("EXDATE")
            << QByteArray("{DTSTART;TZID=Europe/Berlin:20261201T090000|RRULE:FREQ=DAILY;COUNT=5|"
                          "EXDATE;TZID=Europe/Berlin:20261203T090000}")
            << dec << QByteArray("Europe/Berlin") << "1@09:00 2@09:00 4@09:00 5@09:00";
        QTest::newRow("RDATE") << QByteArray("{DTSTART:20261201T090000Z|RDATE:20261215T090000Z}")
                               << dec << QByteArray("UTC") << "1@09:00 15@09:00";
        QTest::newRow("one instance overridden")
            << weekly + "|{RECURRENCE-ID:20261214T090000Z|DTSTART:20261216T100000Z|SUMMARY:Moved}"
            << dec << QByteArray("UTC") << "7@09:00 16@10:00 21@09:00 28@09:00";
        QTest::newRow("one instance moved to another month")
            << weekly + "|{RECURRENCE-ID:20261214T090000Z|DTSTART:20270316T100000Z}" << dec
            << QByteArray("UTC") << "7@09:00 21@09:00 28@09:00";
        QTest::newRow("one instance cancelled")
            << weekly + "|{RECURRENCE-ID:20261221T090000Z|DTSTART:20261221T090000Z|"
                        "STATUS:CANCELLED}"
            << dec << QByteArray("UTC") << "7@09:00 14@09:00 28@09:00";
        QTest::newRow("cancelled event")
            << QByteArray("{DTSTART:20261210T093000Z|STATUS:CANCELLED}") << dec << QByteArray("UTC")
            << "";
        QTest::newRow("to-do and journal")
            << QByteArray("BEGIN:VTODO|UID:t|DTSTART:20261210T093000Z|DUE:20261211T093000Z|"
                          "END:VTODO|BEGIN:VJOURNAL|UID:j|DTSTART:20261210T093000Z|END:VJOURNAL")
            << dec << QByteArray("UTC") << "";
        QTest::newRow("daylight saving ends, in its zone")
            << QByteArray("{DTSTART;TZID=Europe/Berlin:20261005T090000|RRULE:FREQ=WEEKLY}")
            << QDate(2026, 10, 1) << QByteArray("UTC") << "5@07:00 12@07:00 19@07:00 26@08:00";
        QTest::newRow("a time that is there twice, the first")
            << QByteArray("{DTSTART;TZID=Europe/Berlin:20261025T023000}") << QDate(2026, 10, 1)
            << QByteArray("UTC") << "25@00:30";
        QTest::newRow("a time that is not there, read before the change")
            << QByteArray("{DTSTART;TZID=Europe/Berlin:20260329T023000}") << QDate(2026, 3, 1)
            << QByteArray("UTC") << "29@01:30";
        QTest::newRow("daylight saving starts, seen locally")
            << QByteArray("{DTSTART:20260327T233000Z|RRULE:FREQ=DAILY;COUNT=3}")
            << QDate(2026, 3, 1) << QByteArray("Europe/Berlin") << "28@00:30 29@00:30 30@01:30";
    }
    void days()
    {
        QFETCH(QByteArray, body);
        QFETCH(QDate, month);
        QFETCH(QByteArray, zone);
        const Occurrences found = inMonth(calendar(body), month, zone);
        QCOMPARE(found.error, QString());
        QTEST(daysIn(found, month), "days");
    }

    // Refused files say why; odd but whole files are read; a rule without end is cut.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("summary");
        const QByteArray one = "{DTSTART:20261210T093000Z|SUMMARY:Dentist}";
        QTest::newRow("HTML") << QByteArray("<!DOCTYPE html><html><body>Sign in</body></html>")
                              << "the file is not an iCalendar file" << 0 << "";
        QTest::newRow("not UTF-8") << calendar("{DTSTART:20261210T093000Z|SUMMARY:Caf\xe9}")
                                   << "the file is not UTF-8 text" << 0 << "";
        QTest::newRow("NUL") << calendar(QByteArray("{DTSTART:20261210T093000Z|SUMMARY:a") + '\0' +
                                         "b}")
                             << "the file is not UTF-8 text" << 0 << "";
        QTest::newRow("over 10 MiB")
            << calendar(one + "|X-PAD:" + QByteArray(10 * 1024 * 1024, 'x'))
            << "the file is over 10 MiB" << 0 << "";
        QTest::newRow("100,000 events")
            << calendar(one.repeated(100000)) << "the file has more than 20000 events" << 0 << "";
        QTest::newRow("unclosed") << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n")
                                  << "the file is not an iCalendar file" << 0 << "";
        QTest::newRow("every second, for ever")
            << calendar("{DTSTART:20260101T000000Z|RRULE:FREQ=SECONDLY|SUMMARY:Tick}") << "" << 100
            << "Tick";
        QTest::newRow("every second, COUNT from 1970")
            << calendar("{DTSTART:19700101T000000Z|RRULE:FREQ=SECONDLY;COUNT=2000000000}") << ""
            << 0 << "";
        QTest::newRow("BOM, LF, folded")
            << "\xef\xbb\xbf" + calendar("{DTSTART:20261210T093000Z|SUMMARY:Den|  tist}", "\n")
            << "" << 1 << "Den tist";
        QTest::newRow("markup and line ends in a summary")
            << calendar("{DTSTART:20261210T093000Z|SUMMARY:<b>Party</b>\\nat\\t8}") << "" << 1
            << "<b>Party</b> at 8";
    }
    void badInput()
    {
        QFETCH(QByteArray, text);
        const Occurrences found = inMonth(text, QDate(2026, 12, 1), "UTC");
        QTEST(found.error, "error");
        QTEST(int(found.items.size()), "count");
        QTEST(found.items.isEmpty() ? QString() : found.items.first().summary, "summary");
    }
};

QTEST_MAIN(TestOccurrences)
#include "tst_occurrences.moc"
