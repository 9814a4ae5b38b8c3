// The HTTP layer against a loopback fault server: limits, deadlines, partial answers,
// refused addresses, redirects and cancellation.
#include "FaultServer.h"
#include "platform/Http.h"
#include "platform/PageRequest.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;
using Answer = FaultServer::Answer;
using platform::Http;
using platform::HttpResult;
using platform::PageRequest;

Q_DECLARE_METATYPE(FaultServer::Answer)

namespace {
// Short, so the fault cases end fast; rows that must end early for another reason use
// a long one instead.
constexpr auto shortDeadline = 300ms;
constexpr auto longDeadline = 10s;
// What any single transfer may take here; a fault not cut off would take far longer.
constexpr int boundMs = 5000;
constexpr qint64 pictureLimit = 64 * 1024 * 1024;
// A route answering with this status stands for a port where nobody listens.
constexpr int unreachable = 0;

// The one result a transfer delivers, and how often it was delivered.
struct Outcome
{
    int calls = 0;
    HttpResult result;
    QEventLoop* waiting = nullptr;

    Http::Done callback()
    {
        return [this](const HttpResult& r) {
            ++calls;
            result = r;
            if (waiting)
                waiting->quit();
        };
    }
    // Waits in a real event loop: QTest::qWaitFor sleeps between rounds, which would
    // throttle the fault server that shares this thread.
    bool arrives()
    {
        if (calls == 0) {
            QEventLoop loop;
            QTimer::singleShot(boundMs, &loop, &QEventLoop::quit);
            waiting = &loop;
            loop.exec();
            waiting = nullptr;
        }
        return calls > 0;
    }
};

QUrl closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/nobody").arg(port));
}

Answer redirectTo(const QByteArray& location)
{
    return Answer{.status = 302, .headers = {{"Location", location}}};
}
} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void transfer_data();
    void transfer();
    void downloadReportsProgress();
    void refusedAddressesTouchNothing_data();
    void refusedAddressesTouchNothing();
    void cancelledTransfersReportNothing_data();
    void cancelledTransfersReportNothing();
    void destroyingHttpFromACallbackIsSafe();
    void everyRequestBypassesCaches();
    void pageRequest_data();
    void pageRequest();
    void pageRequestsReportEachForItself();

private:
    // The route of the current data row.
    QUrl rowUrl(const QByteArray& prefix, const Answer& answer);
    int requestsFor(const QUrl& url) const;
    QString tempPath() const { return m_dir.filePath(QStringLiteral("image.jpg.part")); }

    FaultServer m_server;
    QTemporaryDir m_dir;
    std::unique_ptr<Http> m_http;
};

void TestHttp::initTestCase()
{
    QVERIFY(m_server.isListening());
    QVERIFY(m_dir.isValid());
    m_server.route("/target", Answer{.body = "target body"});
    // /hop/N redirects N times before it reaches /target.
    m_server.route("/hop/1", redirectTo("/target"));
    for (int n = 2; n <= 6; ++n)
        m_server.route("/hop/" + QByteArray::number(n),
                       redirectTo("/hop/" + QByteArray::number(n - 1)));
}

void TestHttp::init()
{
    m_http = std::make_unique<Http>();
    m_http->setDeadline(shortDeadline);
    QFile::remove(tempPath());
}

QUrl TestHttp::rowUrl(const QByteArray& prefix, const Answer& answer)
{
    const QByteArray path = prefix + QByteArray(QTest::currentDataTag()).toPercentEncoding();
    m_server.route(path, answer);
    return answer.status == unreachable ? closedPort() : m_server.url(path);
}

int TestHttp::requestsFor(const QUrl& url) const
{
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    return static_cast<int>(std::count_if(m_server.requests().cbegin(), m_server.requests().cend(),
                                          [&](const auto& r) { return r.target == target; }));
}

void TestHttp::transfer_data()
{
    QTest::addColumn<bool>("toFile"); // download() instead of getText()
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("deadlineMs");
    // A good row delivers the answer's body up to maxBytes.
    const auto row = [](bool toFile, const char* name, const Answer& answer, bool ok,
                        qint64 maxBytes = 1000,
                        std::chrono::milliseconds deadline = shortDeadline) {
        QTest::addRow("%s: %s", toFile ? "file" : "text", name)
            << toFile << answer << maxBytes << ok << int(deadline.count());
    };

    const QByteArray long1500 = FaultServer::generated(0, 1500);
    // 1000 bytes in four pieces and then nothing more: a reader that waited for the end
    // of the body would run into the deadline.
    row(false, "1000 of 1500 bytes, in pieces",
        Answer{.body = long1500,
               .pieceSize = 250,
               .pieceDelay = 20ms,
               .stopAfter = 1000,
               .ending = Answer::Ending::Stall},
        true);
    row(false, "short body", Answer{.body = "forty bytes of a picture record, or so.."}, true);
    row(false, "zero byte kept", Answer{.body = QByteArray("a\0b", 3)}, true);
    row(false, "error page with its status", Answer{.status = 404, .body = "<h1>Not here</h1>"},
        true);

    const QByteArray picture = FaultServer::generated(0, 300000);
    row(true, "whole body", Answer{.contentType = "image/jpeg", .body = picture}, true,
        pictureLimit);
    row(true, "no Content-Length", Answer{.body = picture, .sendLength = false}, true,
        pictureLimit);
    row(true, "exactly the limit", Answer{.body = picture.left(1000)}, true);
    row(true, "error page", Answer{.status = 404, .body = "not found"}, false, pictureLimit);
    // Sent slowly, so only a refusal on the header or on the count ends these within the
    // bound; the deadline is far.
    const qint64 huge = 100'000'000;
    row(true, "Content-Length over the limit",
        Answer{.generatedSize = huge, .pieceSize = 64 * 1024, .pieceDelay = 50ms}, false,
        pictureLimit, longDeadline);
    row(true, "streamed body over the limit",
        Answer{
            .generatedSize = huge, .sendLength = false, .pieceSize = 64 * 1024, .pieceDelay = 10ms},
        false, 1024 * 1024, longDeadline);
    row(true, "100 MB at full speed, no length", Answer{.generatedSize = huge, .sendLength = false},
        false, pictureLimit, longDeadline);

    // Redirects end at /target, whose body is "target body"; each hop is a new connection.
    row(false, "redirect, relative", redirectTo("/target"), true, 1000, longDeadline);
    row(false, "redirect, five hops", redirectTo("/hop/4"), true, 1000, longDeadline);
    row(false, "redirect, six hops", redirectTo("/hop/5"), false, 1000, longDeadline);
    row(false, "redirect to file:", redirectTo("file:///etc/passwd"), false, 1000, longDeadline);
    row(false, "redirect to data:", redirectTo("data:text/plain,hello"), false);

    for (const bool toFile : {false, true}) {
        row(toFile, "unreachable", Answer{.status = unreachable}, false);
        row(toFile, "reset mid-body",
            Answer{.body = picture, .stopAfter = 600, .ending = Answer::Ending::Reset}, false);
        row(toFile, "truncated body", Answer{.body = "short", .claimedLength = 900}, false);
        row(toFile, "slow answer past the deadline", Answer{.body = "late", .headerDelay = 3s},
            false);
        // A byte every 50 ms never trips an idle timeout; the whole would take 10 s.
        row(toFile, "trickle past the deadline",
            Answer{.body = picture.left(200), .pieceSize = 1, .pieceDelay = 50ms}, false);
    }
}

void TestHttp::transfer()
{
    QFETCH(bool, toFile);
    QFETCH(Answer, answer);
    QFETCH(qint64, maxBytes);
    QFETCH(bool, ok);
    QFETCH(int, deadlineMs);
    const QUrl url = rowUrl("/transfer/", answer);
    m_http->setDeadline(std::chrono::milliseconds(deadlineMs));
    // A leftover of an earlier attempt, longer than any good body: it must not survive.
    QFile stale(tempPath());
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(QByteArray(400000, 'x')) == 400000);
    stale.close();

    QElapsedTimer clock;
    clock.start();
    Outcome outcome;
    if (toFile)
        m_http->download(url, tempPath(), maxBytes, this, {}, outcome.callback());
    else
        m_http->getText(url, maxBytes, this, outcome.callback());
    QVERIFY(outcome.arrives());
    QCOMPARE_LT(clock.elapsed(), boundMs);
    QVERIFY2(outcome.result.ok == ok, qPrintable(outcome.result.error));
    QCOMPARE(outcome.result.error.isEmpty(), ok);
    QCOMPARE(outcome.calls, 1);
    if (!toFile) {
        if (ok && answer.status == 302) {
            QCOMPARE(outcome.result.url, m_server.url("/target"));
            QCOMPARE(outcome.result.body, QByteArray("target body"));
        } else if (ok) {
            QCOMPARE(outcome.result.status, answer.status);
            QCOMPARE(outcome.result.body, answer.body.left(maxBytes));
        }
        return;
    }
    QCOMPARE(QFile::exists(tempPath()), ok);
    if (ok) {
        QFile result(tempPath());
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), answer.body);
    }
}

void TestHttp::downloadReportsProgress()
{
    const qint64 size = 3 * 1024 * 1024;
    m_server.route("/progress",
                   Answer{.generatedSize = size, .pieceSize = 256 * 1024, .pieceDelay = 40ms});
    m_http->setDeadline(longDeadline);

    QList<std::pair<qint64, qint64>> steps;
    Outcome outcome;
    m_http->download(
        m_server.url("/progress"), tempPath(), pictureLimit, this,
        [&](qint64 received, qint64 total) {
            QCOMPARE(outcome.calls, 0); // no progress after the result
            steps.append({received, total});
        },
        outcome.callback());
    QVERIFY(outcome.arrives());
    QVERIFY2(outcome.result.ok, qPrintable(outcome.result.error));
    // Throttled: a few steps for 12 pieces, the last one at the end.
    QCOMPARE_GE(steps.size(), 2);
    QCOMPARE_LE(steps.size(), 13);
    QCOMPARE(steps.last(), std::make_pair(size, size));
    for (qsizetype i = 1; i < steps.size(); ++i) {
        QCOMPARE_GT(steps[i].first, steps[i - 1].first);
        QCOMPARE(steps[i].second, size);
    }
}

void TestHttp::refusedAddressesTouchNothing_data()
{
    QTest::addColumn<QUrl>("url");

    QTest::newRow("file:") << QUrl(QStringLiteral("file:///etc/passwd"));
    QTest::newRow("qrc:") << QUrl(QStringLiteral("qrc:/artcal/default.jpg"));
    QTest::newRow("ftp: to the test server") << QUrl(m_server.url("/target").toString().replace(
        QStringLiteral("http:"), QStringLiteral("ftp:")));
    QTest::newRow("no scheme") << QUrl(QStringLiteral("127.0.0.1/target"));
    QTest::newRow("empty") << QUrl();
}

void TestHttp::refusedAddressesTouchNothing()
{
    QFETCH(QUrl, url);
    const qsizetype before = m_server.requests().size();
    PageRequest page(*m_http);
    QSignalSpy failed(&page, &PageRequest::navigateFailed);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);

    Outcome text;
    Outcome file;
    m_http->getText(url, 1000, this, text.callback());
    m_http->download(url, tempPath(), pictureLimit, this, {}, file.callback());
    page.navigate(url);
    // Through the same path as any result: never before the call has returned.
    QCOMPARE(text.calls + file.calls + failed.size(), 0);

    QVERIFY(text.arrives());
    QVERIFY(file.arrives());
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, boundMs);
    QVERIFY(!text.result.ok);
    QVERIFY(!file.result.ok);
    QCOMPARE(failed.first().at(0).toUrl(), url);
    QCOMPARE(completed.size(), 0);
    QVERIFY(!QFile::exists(tempPath()));
    QCOMPARE(m_server.requests().size(), before);
}

void TestHttp::cancelledTransfersReportNothing_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("owner destroyed") << QStringLiteral("owner");
    QTest::newRow("abortAll") << QStringLiteral("abortAll");
    QTest::newRow("context destroyed") << QStringLiteral("context");
}

void TestHttp::cancelledTransfersReportNothing()
{
    QFETCH(QString, how);
    m_server.route("/endless", Answer{.generatedSize = 10'000'000,
                                      .sendLength = false,
                                      .pieceSize = 1000,
                                      .pieceDelay = 20ms});
    m_http->setDeadline(longDeadline);
    const int closedBefore = m_server.closedConnections();
    const qsizetype requestsBefore = m_server.requests().size();

    auto context = std::make_unique<QObject>();
    auto* page = new PageRequest(*m_http, context.get());
    QSignalSpy completed(page, &PageRequest::navigateComplete);
    QSignalSpy failed(page, &PageRequest::navigateFailed);
    Outcome text;
    Outcome file;
    int progressCalls = 0;
    m_http->getText(m_server.url("/endless"), pictureLimit, context.get(), text.callback());
    m_http->download(
        m_server.url("/endless"), tempPath(), pictureLimit, context.get(),
        [&](qint64, qint64) { ++progressCalls; }, file.callback());
    page->navigate(m_server.url("/endless"));
    QTRY_COMPARE_WITH_TIMEOUT(m_server.requests().size(), requestsBefore + 3, boundMs);
    QTRY_VERIFY_WITH_TIMEOUT(progressCalls > 0, boundMs);
    QVERIFY(QFile::exists(tempPath()));

    if (how == u"owner")
        m_http.reset();
    else if (how == u"abortAll")
        m_http->abortAll();
    else
        context.reset();
    // The server sees every connection go; anything queued by then has been handled.
    QTRY_COMPARE_WITH_TIMEOUT(m_server.closedConnections(), closedBefore + 3, boundMs);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(text.calls + file.calls, 0);
    QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(1).toString()));
    QCOMPARE(completed.size(), 0);
    QVERIFY(!QFile::exists(tempPath()));
}

void TestHttp::destroyingHttpFromACallbackIsSafe()
{
    m_server.route("/endless",
                   Answer{.generatedSize = 10'000'000, .pieceSize = 1000, .pieceDelay = 20ms});
    m_http->setDeadline(longDeadline);
    Outcome file;
    m_http->download(m_server.url("/endless"), tempPath(), pictureLimit, this, {}, file.callback());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(tempPath()), boundMs);

    bool textArrived = false;
    m_http->getText(m_server.url("/target"), 1000, this, [&](const HttpResult& result) {
        textArrived = result.ok;
        m_http.reset(); // the owner goes away while another transfer is running
    });
    QTRY_VERIFY_WITH_TIMEOUT(textArrived, boundMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(file.calls, 0);
    QVERIFY(!QFile::exists(tempPath()));
}

void TestHttp::everyRequestBypassesCaches()
{
    // An answer that invites caching for an hour: every call must still reach the server.
    m_server.route("/cacheable",
                   Answer{.headers = {{"Cache-Control", "public, max-age=3600"},
                                      {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}},
                          .body = "same answer"});
    const QUrl url = m_server.url("/cacheable");
    PageRequest page(*m_http);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);
    for (int i = 1; i <= 2; ++i) {
        Outcome text;
        Outcome file;
        m_http->getText(url, 1000, this, text.callback());
        m_http->download(url, tempPath(), pictureLimit, this, {}, file.callback());
        page.navigate(url);
        QVERIFY(text.arrives() && file.arrives());
        QVERIFY(text.result.ok && file.result.ok);
        QTRY_COMPARE_WITH_TIMEOUT(completed.size(), i, boundMs);
    }
    QCOMPARE(requestsFor(url), 6);
    for (const FaultServer::Request& request : m_server.requests()) {
        if (request.path() != "/cacheable")
            continue;
        QCOMPARE(request.header("Cache-Control"), QByteArray("no-cache"));
        QCOMPARE(request.header("Pragma"), QByteArray("no-cache"));
        QCOMPARE(request.header("User-Agent"), QByteArray("artcal/" ARTCAL_VERSION));
    }
}

void TestHttp::pageRequest_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QByteArray>("reached"); // empty: the request fails

    const Answer page{.contentType = "text/html", .body = "<p>picked</p>"};
    const QByteArray query = "/page/query?category=C%2B%2B%20%26%20more";
    QTest::newRow("query kept as sent") << query << page << query;
    QTest::newRow("after a redirect")
        << QByteArray("/page/moved") << redirectTo("/target") << QByteArray("/target");
    QTest::newRow("error page") << QByteArray("/page/missing")
                                << Answer{.status = 404, .body = "gone"}
                                << QByteArray("/page/missing");
    QTest::newRow("big page under 1 MiB")
        << QByteArray("/page/big") << Answer{.generatedSize = 1000 * 1000}
        << QByteArray("/page/big");
    QTest::newRow("page past 1 MiB, no length")
        << QByteArray("/page/endless")
        << Answer{.generatedSize = 2 * 1024 * 1024, .sendLength = false} << QByteArray();
    QTest::newRow("slow page past the deadline")
        << QByteArray("/page/slow") << Answer{.body = "late", .headerDelay = 3s} << QByteArray();
    QTest::newRow("redirect to file:")
        << QByteArray("/page/file") << redirectTo("file:///etc/passwd") << QByteArray();
}

void TestHttp::pageRequest()
{
    QFETCH(QByteArray, target);
    QFETCH(Answer, answer);
    QFETCH(QByteArray, reached);
    m_server.route(target.split('?').first(), answer);
    PageRequest page(*m_http);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);
    QSignalSpy failed(&page, &PageRequest::navigateFailed);

    page.navigate(m_server.url(target));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size() + failed.size(), 1, boundMs);
    if (!reached.isEmpty())
        QCOMPARE(completed.value(0).value(0).toUrl(), m_server.url(reached));
    else
        QCOMPARE(failed.value(0).value(0).toUrl(), m_server.url(target));
    QCOMPARE(requestsFor(m_server.url(target)), 1);
}

void TestHttp::pageRequestsReportEachForItself()
{
    m_server.route("/page/first", Answer{.body = "first", .headerDelay = 100ms});
    m_server.route("/page/second", Answer{.body = "second"});
    PageRequest page(*m_http);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);

    page.navigate(m_server.url("/page/first"));
    page.navigate(m_server.url("/page/second"));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size(), 2, boundMs);
    QCOMPARE(completed.at(0).at(0).toUrl(), m_server.url("/page/second"));
    QCOMPARE(completed.at(1).at(0).toUrl(), m_server.url("/page/first"));
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
