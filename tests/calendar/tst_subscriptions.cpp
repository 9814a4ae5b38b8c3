// SPDX-License-Identifier: GPL-3.0-or-later
// Subscribed calendars against a loopback server: a conditional refresh, failures that
// keep the last good copy and its marks, and a changed file that changes them.
#include "FaultServer.h"
#include "FixedClock.h"
#include "StateDir.h"
#include "calendar/CalendarSet.h"
#include "calendar/Subscriptions.h"
#include "platform/Http.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

namespace {
QByteArray calendarOn(const QByteArray& day)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t//EN\r\nBEGIN:VEVENT\r\nUID:1\r\n"
           "DTSTART:202612" +
           day + "T093000Z\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// The days of December 2026 with notes.
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<int> markedDays(const CalendarSet& set)
{
    QList<int> days;
    for (int d = 1; d <= 31; ++d) {
        if (set.notesOn(QDate(2026, 12, d)) != DayNotes())
            days << d;
    }
    return days;
}
} // namespace

class TestSubscriptions : public QObject
{
    Q_OBJECT
private slots:
    // The first fetch is whole; the second gets the row's answer. webcal is https first,
    // then plain http when that attempt gets no answer (here: no TLS, a timeout), and
    // the calendar is then not encrypted.
    void refresh_data()
    {
        using Answer = FaultServer::Answer;
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("webcal, unchanged")
            << "webcal" << Answer{.status = 304} << "" << QList<int>{10};
        QTest::newRow("unchanged") << "http" << Answer{.status = 304} << "" << QList<int>{10};
        QTest::newRow("changed") << "http" << Answer{.body = calendarOn("11")} << ""
                                 << QList<int>{11};
        QTest::newRow("server error") << "http" << Answer{.status = 500, .body = "oops"}
                                      << "the server answered HTTP status 500" << QList<int>{10};
        QTest::newRow("sign-in page")
            << "http"
            << Answer{.contentType = "text/html", .body = "<html><body>Sign in</body></html>"}
            << "the file is not an iCalendar file" << QList<int>{10};
        QTest::newRow("redirect to ftp")
            << "http" << Answer{.status = 302, .headers = {{"Location", "ftp://127.0.0.1/cal.ics"}}}
            << "cannot fetch it: refused an address that is not http or https" << QList<int>{10};
        QTest::newRow("over 10 MiB") << "http" << Answer{.generatedSize = 11 << 20}
                                     << "the file is over 10 MiB" << QList<int>{10};
    }
    void refresh()
    {
        QFETCH(QString, scheme);
        QFETCH(FaultServer::Answer, answer);
        QFETCH(QString, problem);
        QFETCH(QList<int>, marked);
        FixedClock clock;
        platform::setClock(&clock);
        const auto restore = qScopeGuard([] { platform::setClock(nullptr); });
        FaultServer server;
        server.route("/cal.ics", {.headers = {{"ETag", "\"v1\""}}, .body = calendarOn("10")});
        StateDir state;
        platform::Http http;
        if (scheme == "webcal") // soon past the https attempt that gets no answer
            http.setDeadline(std::chrono::milliseconds(2000));
        CalendarSet set(state.dir.path());
        auto* subscriptions = new Subscriptions(set, http);
        set.showMonth(2026, 12);
        // A secret in the query.
        const QString address =
            server.url("/cal.ics?token=secret").toString().replace(0, 4, scheme);
        const CalendarList::Entry entry{CalendarList::Kind::Events, "Work", address};
        QVERIFY(set.setEntries({entry}));
        subscriptions->schedule();
        QTRY_COMPARE(markedDays(set), QList<int>{10});
        const QString copy = set.fileOf(entry);
        const QByteArray first = contentOf(copy);
        QCOMPARE(QFileInfo(copy).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(QFileInfo(QFileInfo(copy).path()).permissions() & 0x0777,
                 QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);

        server.route("/cal.ics", answer);
        // Refreshed when due, which a resume brings on.
        clock.time = QFileInfo(copy).lastModified();
        clock.jump(Subscriptions::refreshMs(entry.kind) / 1000);
        // Settled: failed with the row's problem, or refreshed now.
        QTRY_VERIFY(set.status(address).problem == problem &&
                    (!problem.isEmpty() || set.status(address).refreshed == clock.time));
        QCOMPARE(server.requests().last().header("If-None-Match"), "\"v1\"");
        QVERIFY(!set.status(address).encrypted); // every row ends on plain http
        QTRY_COMPARE(markedDays(set), marked);
        if (!problem.isEmpty())
            QCOMPARE(contentOf(copy), first);
    }
};

QTEST_MAIN(TestSubscriptions)
#include "tst_subscriptions.moc"
