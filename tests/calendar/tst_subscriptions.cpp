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
    // The first fetch is whole; the second gets the row's answer.
    void refresh_data()
    {
        using Answer = FaultServer::Answer;
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("unchanged") << Answer{.status = 304} << "" << QList<int>{10};
        QTest::newRow("changed") << Answer{.body = calendarOn("11")} << "" << QList<int>{11};
        QTest::newRow("server error") << Answer{.status = 500, .body = "oops"}
                                      << "the server answered HTTP status 500" << QList<int>{10};
        QTest::newRow("sign-in page")
            << Answer{.contentType = "text/html", .body = "<html><body>Sign in</body></html>"}
            << "the file is not an iCalendar file" << QList<int>{10};
        QTest::newRow("redirect to ftp")
            << Answer{.status = 302, .headers = {{"Location", "ftp://127.0.0.1/cal.ics"}}}
            << "cannot fetch it: refused an address that is not http or https" << QList<int>{10};
        QTest::newRow("over 10 MiB")
            << Answer{.generatedSize = 11 << 20} << "the file is over 10 MiB" << QList<int>{10};
    }
    void refresh()
    {
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
        CalendarSet set(state.dir.path());
        auto* subscriptions = new Subscriptions(set, http);
        set.showMonth(2026, 12);
        // A secret in the query.
        const QString address = server.url("/cal.ics?token=secret").toString();
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
        clock.time = clock.time.addSecs(3600);
        subscriptions->refresh(entry);
        // Settled: failed with the row's problem, or refreshed now.
        QTRY_VERIFY(set.status(address).problem == problem &&
                    (!problem.isEmpty() || set.status(address).refreshed == clock.time));
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(server.requests().last().header("If-None-Match"), "\"v1\"");
        QTRY_COMPARE(markedDays(set), marked);
        if (!problem.isEmpty())
            QCOMPARE(contentOf(copy), first);
    }

    // webcal: https first; a server that never answers the TLS handshake is asked again
    // over plain http once that attempt times out, and shown as not encrypted.
    void webcalFallsBack()
    {
        FaultServer server;
        server.route("/cal.ics", {.body = calendarOn("10")});
        StateDir state;
        platform::Http http;
        http.setDeadline(std::chrono::milliseconds(1000));
        CalendarSet set(state.dir.path());
        auto* subscriptions = new Subscriptions(set, http);
        set.showMonth(2026, 12);
        QString address = server.url("/cal.ics").toString();
        address.replace(0, 4, "webcal");
        QVERIFY(set.setEntries({{CalendarList::Kind::Holidays, "Public", address}}));
        subscriptions->schedule();
        QTRY_COMPARE(markedDays(set), QList<int>{10});
        QCOMPARE(set.status(address).encrypted, false);
        QCOMPARE(server.requests().last().path(), "/cal.ics");
    }
};

QTEST_MAIN(TestSubscriptions)
#include "tst_subscriptions.moc"
