// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar read, timed: a 10,000-event calendar parsed and expanded for one month by
// the widget's own path, against libical's parse alone of the same text, alternating.
//   artcal-bench-calendar RUNS
// Prints "ours_ms=... libical_ms=..." (medians) and the occurrences found.
//   artcal-bench-calendar write EVENTS FILE
// Writes such a calendar of EVENTS events, spread over the year around today, to FILE.
#include "calendar/Occurrences.h"

#include <QElapsedTimer>
#include <QFile>

#include <libical/ical.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {
// Spread over a year; one event in ten repeats weekly, one in ten is all day.
QByteArray bigCalendar(int events, QDate first)
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//artcal//bench//EN\r\n";
    for (int i = 0; i < events; ++i) {
        const QDate day = first.addDays(i % 365);
        text += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "@bench\r\n";
        if (i % 10 == 1)
            text += "DTSTART;VALUE=DATE:" + day.toString(u"yyyyMMdd").toLatin1() + "\r\n";
        else
            text += "DTSTART;TZID=Europe/Berlin:" + day.toString(u"yyyyMMdd").toLatin1() + "T" +
                    QByteArray::number(100000 + (i % 9) * 10000) + "\r\nDURATION:PT1H\r\n";
        if (i % 10 == 0)
            text += "RRULE:FREQ=WEEKLY;COUNT=20\r\n";
        text += "SUMMARY:Event " + QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string_view(argv[1]) == "write") {
        QFile file(QString::fromLocal8Bit(argv[3]));
        const QByteArray text = bigCalendar(atoi(argv[2]), QDate::currentDate().addDays(-182));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? 0 : 1;
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const QByteArray text = bigCalendar(10000, QDate(2026, 1, 1));
    std::vector<double> ours, theirs;
    qsizetype found = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        icalcomponent_free(icalparser_parse_string(text.constData()));
        theirs.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        found = Occurrences::of(text, QDate(2026, 6, 1), QDate(2026, 6, 30), QTimeZone("UTC"))
                    .items.size();
        ours.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("ours_ms=%.1f libical_ms=%.1f occurrences=%lld\n", median(ours), median(theirs),
                static_cast<long long>(found));
    return 0;
}
