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
// Short, so the fault cases end fast; the rows that must end early for another reason
// use a long one instead.
constexpr auto shortDeadline = 300ms;
constexpr auto longDeadline = 10s;
// What any single transfer may take here; a fault not cut off would take far longer.
constexpr int boundMs = 5000;
constexpr qint64 pictureLimit = 64 * 1024 * 1024;

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

    void getTextReadsUpToTheLimit_data();
    void getTextReadsUpToTheLimit();
    void getTextFailsOnlyWhenTheTransferFails_data();
    void getTextFailsOnlyWhenTheTransferFails();
    void download_data();
    void download();
    void downloadReportsProgress();
    void redirects_data();
    void redirects();
    void refusedAddressesTouchNothing_data();
    void refusedAddressesTouchNothing();
    void cancelledTransfersReportNothing_data();
    void cancelledTransfersReportNothing();
    void destroyingHttpFromACallbackIsSafe();
    void everyRequestBypassesCaches_data();
    void everyRequestBypassesCaches();
    void pageRequest_data();
    void pageRequest();
    void pageRequestsReportEachForItself();

private:
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

int TestHttp::requestsFor(const QUrl& url) const
{
    const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    return static_cast<int>(std::count_if(m_server.requests().cbegin(), m_server.requests().cend(),
                                          [&](const auto& r) { return r.target == target; }));
}

void TestHttp::getTextReadsUpToTheLimit_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");

    const QByteArray long1500 = FaultServer::generated(0, 1500);
    // The server sends 1000 bytes in four pieces and then nothing more: a reader that
    // waited for the end of the body would run into the deadline.
    QTest::newRow("1000 of 1500 bytes, in pieces") << Answer{.body = long1500,
                                                             .pieceSize = 250,
                                                             .pieceDelay = 20ms,
                                                             .stopAfter = 1000,
                                                             .ending = Answer::Ending::Stall}
                                                   << qint64(1000) << long1500.left(1000) << 200;
    QTest::newRow("1000 of 1500 bytes, at once")
        << Answer{.body = long1500} << qint64(1000) << long1500.left(1000) << 200;
    QTest::newRow("short body") << Answer{.body = "forty bytes of a picture record, or so.."}
                                << qint64(1000)
                                << QByteArray("forty bytes of a picture record, or so..") << 200;
    QTest::newRow("empty body") << Answer{} << qint64(1000) << QByteArray() << 200;
    QTest::newRow("CR LF lines") << Answer{.body = "http://p/1\r\nhttp://p/1.jpg\r\n7\r\nArt\r\n"}
                                 << qint64(1000)
                                 << QByteArray("http://p/1\r\nhttp://p/1.jpg\r\n7\r\nArt\r\n")
                                 << 200;
    QTest::newRow("zero byte kept")
        << Answer{.body = QByteArray("a\0b", 3)} << qint64(1000) << QByteArray("a\0b", 3) << 200;
    QTest::newRow("404 page") << Answer{.status = 404, .body = "<h1>Not here</h1>"} << qint64(1000)
                              << QByteArray("<h1>Not here</h1>") << 404;
    QTest::newRow("500 page") << Answer{.status = 500, .body = "-1"} << qint64(1000)
                              << QByteArray("-1") << 500;
}

void TestHttp::getTextReadsUpToTheLimit()
{
    QFETCH(Answer, answer);
    QFETCH(qint64, maxBytes);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    const QByteArray path = "/text/" + QByteArray(QTest::currentDataTag()).toPercentEncoding();
    m_server.route(path, answer);

    Outcome outcome;
    m_http->getText(m_server.url(path), maxBytes, this, outcome.callback());
    QVERIFY(outcome.arrives());
    QVERIFY2(outcome.result.ok, qPrintable(outcome.result.error));
    QCOMPARE(outcome.result.status, status);
    QCOMPARE(outcome.result.body, body);
    QCOMPARE(outcome.result.url, m_server.url(path));
    QCOMPARE(outcome.calls, 1);
}

void TestHttp::getTextFailsOnlyWhenTheTransferFails_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("reachable");

    QTest::newRow("unreachable port") << Answer{} << false;
    QTest::newRow("reset before any byte") << Answer{.resetAtOnce = true} << true;
    QTest::newRow("reset mid-body") << Answer{.body = FaultServer::generated(0, 5000),
                                              .stopAfter = 600,
                                              .ending = Answer::Ending::Reset}
                                    << true;
    QTest::newRow("truncated body") << Answer{.body = "short", .claimedLength = 900} << true;
    QTest::newRow("slow answer past the deadline")
        << Answer{.body = "late", .headerDelay = 3s} << true;
    // A byte every 50 ms never trips an idle timeout; the whole would take 10 s.
    QTest::newRow("trickle past the deadline")
        << Answer{.body = FaultServer::generated(0, 200), .pieceSize = 1, .pieceDelay = 50ms}
        << true;
}

void TestHttp::getTextFailsOnlyWhenTheTransferFails()
{
    QFETCH(Answer, answer);
    QFETCH(bool, reachable);
    const QByteArray path = "/fail/" + QByteArray(QTest::currentDataTag()).toPercentEncoding();
    m_server.route(path, answer);
    const QUrl url = reachable ? m_server.url(path) : closedPort();

    QElapsedTimer clock;
    clock.start();
    Outcome outcome;
    m_http->getText(url, 1000, this, outcome.callback());
    QVERIFY(outcome.arrives());
    QVERIFY(!outcome.result.ok);
    QVERIFY(!outcome.result.error.isEmpty());
    QCOMPARE_LT(clock.elapsed(), boundMs);
}

void TestHttp::download_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<int>("deadlineMs");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");

    const int fast = static_cast<int>(shortDeadline.count());
    const int slow = static_cast<int>(std::chrono::milliseconds(longDeadline).count());
    const QByteArray picture = FaultServer::generated(0, 300000);
    QTest::newRow("whole body") << Answer{.contentType = "image/jpeg", .body = picture}
                                << pictureLimit << fast << true << picture;
    QTest::newRow("body in pieces")
        << Answer{.body = picture.left(5000), .pieceSize = 1000, .pieceDelay = 10ms} << pictureLimit
        << fast << true << picture.left(5000);
    QTest::newRow("no Content-Length")
        << Answer{.body = picture, .sendLength = false} << pictureLimit << fast << true << picture;
    QTest::newRow("exactly the limit")
        << Answer{.body = picture.left(1000)} << qint64(1000) << fast << true << picture.left(1000);
    const QString source = m_dir.filePath(QStringLiteral("source.jpg"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(picture) == picture.size());
    file.close();
    QTest::newRow("body from a file")
        << Answer{.bodyFile = source} << pictureLimit << fast << true << picture;
    QTest::newRow("after a redirect")
        << redirectTo("/target") << pictureLimit << fast << true << QByteArray("target body");

    QTest::newRow("reset mid-body")
        << Answer{.body = picture, .stopAfter = 100000, .ending = Answer::Ending::Reset}
        << pictureLimit << fast << false << QByteArray();
    QTest::newRow("truncated body") << Answer{.body = picture.left(1000), .claimedLength = 300000}
                                    << pictureLimit << fast << false << QByteArray();
    QTest::newRow("404 page") << Answer{.status = 404, .body = "not found"} << pictureLimit << fast
                              << false << QByteArray();
    QTest::newRow("500 page") << Answer{.status = 500, .body = "oops"} << pictureLimit << fast
                              << false << QByteArray();
    QTest::newRow("slow answer past the deadline") << Answer{.body = picture, .headerDelay = 3s}
                                                   << pictureLimit << fast << false << QByteArray();
    QTest::newRow("trickle past the deadline")
        << Answer{.body = picture.left(200), .pieceSize = 1, .pieceDelay = 50ms} << pictureLimit
        << fast << false << QByteArray();
    // Sent slowly, so only a refusal on the header or on the count ends these within
    // the bound; the deadline is far.
    const qint64 huge = 100'000'000;
    QTest::newRow("Content-Length over the limit")
        << Answer{.generatedSize = huge, .pieceSize = 64 * 1024, .pieceDelay = 50ms} << pictureLimit
        << slow << false << QByteArray();
    QTest::newRow("streamed body over the limit")
        << Answer{.generatedSize = huge,
                  .sendLength = false,
                  .pieceSize = 64 * 1024,
                  .pieceDelay = 10ms}
        << qint64(1024 * 1024) << slow << false << QByteArray();
    QTest::newRow("100 MB at full speed, no length")
        << Answer{.generatedSize = huge, .sendLength = false} << pictureLimit << slow << false
        << QByteArray();
}

void TestHttp::download()
{
    QFETCH(Answer, answer);
    QFETCH(qint64, maxBytes);
    QFETCH(int, deadlineMs);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    const QByteArray path = "/download/" + QByteArray(QTest::currentDataTag()).toPercentEncoding();
    m_server.route(path, answer);
    m_http->setDeadline(std::chrono::milliseconds(deadlineMs));
    // A leftover of an earlier attempt, longer than some bodies: it must not survive.
    QFile stale(tempPath());
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(QByteArray(400000, 'x')) == 400000);
    stale.close();

    QElapsedTimer clock;
    clock.start();
    Outcome outcome;
    m_http->download(m_server.url(path), tempPath(), maxBytes, this, {}, outcome.callback());
    QVERIFY(outcome.arrives());
    QCOMPARE_LT(clock.elapsed(), boundMs);
    QVERIFY2(outcome.result.ok == ok, qPrintable(outcome.result.error));
    QCOMPARE(outcome.result.error.isEmpty(), ok);
    QCOMPARE(QFile::exists(tempPath()), ok);
    if (ok) {
        QFile result(tempPath());
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), bytes);
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

void TestHttp::redirects_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("reached");

    QTest::newRow("absolute http address")
        << redirectTo(m_server.url("/target").toEncoded()) << true << QByteArray("/target");
    QTest::newRow("relative address") << redirectTo("/target") << true << QByteArray("/target");
    QTest::newRow("five hops") << redirectTo("/hop/4") << true << QByteArray("/target");
    QTest::newRow("six hops") << redirectTo("/hop/5") << false << QByteArray();
    QTest::newRow("to file:") << redirectTo("file:///etc/passwd") << false << QByteArray();
    QTest::newRow("to data:") << redirectTo("data:text/plain,hello") << false << QByteArray();
    QTest::newRow("to ftp:") << redirectTo("ftp://127.0.0.1/x") << false << QByteArray();
}

void TestHttp::redirects()
{
    QFETCH(Answer, answer);
    QFETCH(bool, ok);
    QFETCH(QByteArray, reached);
    const QByteArray path = "/redirect/" + QByteArray(QTest::currentDataTag()).toPercentEncoding();
    m_server.route(path, answer);
    m_http->setDeadline(longDeadline); // each hop is a new connection

    Outcome outcome;
    m_http->getText(m_server.url(path), 1000, this, outcome.callback());
    QVERIFY(outcome.arrives());
    QVERIFY2(outcome.result.ok == ok, qPrintable(outcome.result.error));
    if (ok) {
        QCOMPARE(outcome.result.url, m_server.url(reached));
        QCOMPARE(outcome.result.body, QByteArray("target body"));
    }
}

void TestHttp::refusedAddressesTouchNothing_data()
{
    QTest::addColumn<QUrl>("url");

    QTest::newRow("file:") << QUrl(QStringLiteral("file:///etc/passwd"));
    QTest::newRow("data:") << QUrl(QStringLiteral("data:text/plain,hello"));
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
    QVERIFY(!m_http);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(file.calls, 0);
    QVERIFY(!QFile::exists(tempPath()));
}

void TestHttp::everyRequestBypassesCaches_data()
{
    QTest::addColumn<QString>("operation");

    QTest::newRow("text") << QStringLiteral("text");
    QTest::newRow("download") << QStringLiteral("download");
    QTest::newRow("page") << QStringLiteral("page");
}

void TestHttp::everyRequestBypassesCaches()
{
    QFETCH(QString, operation);
    // An answer that invites caching for an hour: every call must still reach the server.
    const QByteArray path = "/cacheable/" + operation.toLatin1();
    m_server.route(path, Answer{.headers = {{"Cache-Control", "public, max-age=3600"},
                                            {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}},
                                .body = "same answer"});
    const QUrl url = m_server.url(path);
    PageRequest page(*m_http);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);

    for (int i = 1; i <= 2; ++i) {
        if (operation == u"page") {
            page.navigate(url);
            QTRY_COMPARE_WITH_TIMEOUT(completed.size(), i, boundMs);
            continue;
        }
        Outcome outcome;
        if (operation == u"text")
            m_http->getText(url, 1000, this, outcome.callback());
        else
            m_http->download(url, tempPath(), pictureLimit, this, {}, outcome.callback());
        QVERIFY(outcome.arrives());
        QVERIFY2(outcome.result.ok, qPrintable(outcome.result.error));
    }
    QCOMPARE(requestsFor(url), 2);
    for (const FaultServer::Request& request : m_server.requests()) {
        if (request.path() != path)
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
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QByteArray>("reached");

    const Answer page{.contentType = "text/html", .body = "<p>picked</p>"};
    QTest::newRow("plain page") << QByteArray("/page/plain") << page << true
                                << QByteArray("/page/plain");
    QTest::newRow("query kept as sent")
        << QByteArray("/page/query?category=C%2B%2B%20%26%20more") << page << true
        << QByteArray("/page/query?category=C%2B%2B%20%26%20more");
    QTest::newRow("after a redirect")
        << QByteArray("/page/moved") << redirectTo("/target") << true << QByteArray("/target");
    QTest::newRow("error page") << QByteArray("/page/missing")
                                << Answer{.status = 404, .body = "gone"} << true
                                << QByteArray("/page/missing");
    QTest::newRow("big page under 1 MiB")
        << QByteArray("/page/big") << Answer{.generatedSize = 1000 * 1000} << true
        << QByteArray("/page/big");
    QTest::newRow("page past 1 MiB")
        << QByteArray("/page/huge") << Answer{.generatedSize = 2 * 1024 * 1024} << false
        << QByteArray();
    QTest::newRow("page past 1 MiB, no length")
        << QByteArray("/page/endless")
        << Answer{.generatedSize = 2 * 1024 * 1024, .sendLength = false} << false << QByteArray();
    QTest::newRow("slow page past the deadline")
        << QByteArray("/page/slow") << Answer{.body = "late", .headerDelay = 3s} << false
        << QByteArray();
    QTest::newRow("redirect to file:")
        << QByteArray("/page/file") << redirectTo("file:///etc/passwd") << false << QByteArray();
}

void TestHttp::pageRequest()
{
    QFETCH(QByteArray, target);
    QFETCH(Answer, answer);
    QFETCH(bool, complete);
    QFETCH(QByteArray, reached);
    m_server.route(target.split('?').first(), answer);
    PageRequest page(*m_http);
    QSignalSpy completed(&page, &PageRequest::navigateComplete);
    QSignalSpy failed(&page, &PageRequest::navigateFailed);

    page.navigate(m_server.url(target));
    QTRY_COMPARE_WITH_TIMEOUT(completed.size() + failed.size(), 1, boundMs);
    QCOMPARE(completed.size(), complete ? 1 : 0);
    if (complete)
        QCOMPARE(completed.first().at(0).toUrl(), m_server.url(reached));
    else
        QCOMPARE(failed.first().at(0).toUrl(), m_server.url(target));
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
