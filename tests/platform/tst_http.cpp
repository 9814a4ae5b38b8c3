// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP layer against a loopback fault server: limits, deadlines, partial answers,
// refused addresses, redirects, caches, cancellation and heads that never end.
#include "FaultServer.h"
#include "platform/Http.h"
#include "platform/PageRequest.h"

#include <QFile>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace platform;
using Mode = TransferMode;
using enum FaultServer::Answer::Ending;
using enum TransferMode;

Q_DECLARE_METATYPE(platform::TransferMode)

namespace {
// Short for the rows that must run into it; long enough for all others never to.
constexpr std::chrono::milliseconds shortDeadline = 300ms;
constexpr std::chrono::milliseconds longDeadline = 10s;
// What any one transfer may take here; a fault not cut off takes longer.
constexpr int boundMs = 5000;
constexpr qint64 maxBytes = 3000;
constexpr Mode modes[] = {Text, File, Page};
// A leftover of an earlier attempt, longer than any good body.
const QByteArray stale(400000, 'x');

FaultServer::Answer redirectTo(const QByteArray& location)
{
    return {.status = 302, .headers = {{"Location", location}}};
}
} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

    FaultServer m_server;
    QTemporaryDir m_dir;
    std::unique_ptr<Http> m_http;
    int m_steps = 0; // of progress, in all downloads

    QString tempPath() const { return m_dir.filePath(QStringLiteral("image.jpg.part")); }

    // Starts one transfer; what it reports, as a page request too, lands in `results`.
    void start(Mode mode, const QUrl& url, QObject* context, QList<HttpResult>& results)
    {
        const auto reported = std::make_shared<bool>(false);
        const auto done = [&results, reported](const HttpResult& result) {
            *reported = true;
            results.append(result);
        };
        if (mode == Text)
            return m_http->getText(url, maxBytes, context, done);
        const auto progress = [this, reported](qint64, qint64) {
            QVERIFY(!*reported); // never after its result
            ++m_steps;
        };
        if (mode == File)
            return m_http->download(url, tempPath(), maxBytes, context, progress, done);
        // A page reports the address it reached, or the one it was asked for and why not.
        const auto report = [done](const QUrl& url, const QString& error = {}) {
            done({error.isEmpty(), 0, {}, error, url});
        };
        auto* page = context->findChild<PageRequest*>(); // one for all pages of a context
        if (!page) {
            page = new PageRequest(*m_http, context);
            connect(page, &PageRequest::navigateComplete, page, report);
            connect(page, &PageRequest::navigateFailed, page, report);
        }
        page->navigate(url);
    }

    QList<FaultServer::Request> requestsFor(const QUrl& url) const
    {
        const QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
        QList<FaultServer::Request> found;
        std::copy_if(m_server.requests().cbegin(), m_server.requests().cend(),
                     std::back_inserter(found), [&](const auto& r) { return r.target == target; });
        return found;
    }

private slots:
    void initTestCase()
    {
        m_server.route("/target", {.body = "target body"});
        // /hop/N redirects N times before it reaches /target.
        for (int n = 1; n <= 6; ++n)
            m_server.route("/hop/" + QByteArray::number(n),
                           redirectTo(n == 1 ? "/target" : "/hop/" + QByteArray::number(n - 1)));
    }

    void init()
    {
        m_http = std::make_unique<Http>();
        m_steps = 0;
        QFile file(tempPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(stale) == stale.size());
    }

    void transfer_data()
    {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QUrl>("reached");
        // What a text read delivers, or what a download leaves on disk (null: no file).
        QTest::addColumn<QByteArray>("body");
        const char* kinds[] = {"text", "file", "page"};
        // Each row has a route of its own that invites caching, asked for with a query that
        // must travel as it is. A good row ends with its body, or /target's after a redirect.
        const auto row = [&](Mode mode, const char* name, FaultServer::Answer answer, bool ok,
                             std::chrono::milliseconds deadline = longDeadline) {
            const QByteArray path =
                "/" + QByteArray(kinds[int(mode)]) + "/" + QByteArray(name).toPercentEncoding();
            answer.headers.emplaceBack("Cache-Control", "public, max-age=3600");
            m_server.route(path, answer);
            const QUrl url = m_server.url(path + "?c=C%2B%2B%20%26%20x");
            const bool redirect = answer.status == 302;
            const QByteArray delivered = redirect ? "target body" : answer.body.left(maxBytes);
            QTest::addRow("%s: %s", kinds[int(mode)], name)
                << mode << url << int(deadline.count()) << ok
                << (redirect ? m_server.url("/target") : url) << (ok ? delivered : QByteArray());
        };
        const QByteArray body = FaultServer::generated(0, maxBytes);

        // The answer is cut short after the limit: only a read that stops there succeeds.
        row(Text, "stops at the limit",
            {.body = body, .claimedLength = 6000, .pieceSize = 1000, .pieceDelay = 10ms}, true);
        row(File, "in pieces", {.body = body, .pieceSize = 1000, .pieceDelay = 10ms}, true);
        row(File, "no Content-Length", {.body = body, .sendLength = false}, true);
        // Nothing follows the head: only a refusal on the Content-Length ends it in time.
        row(File, "Content-Length over the limit",
            {.body = body + "x", .stopAfter = 0, .ending = Stall}, false);
        row(File, "over the limit, no length", {.body = body + "x", .sendLength = false}, false);
        row(Page, "over 1 MiB", {.generatedSize = 2 << 20, .sendLength = false}, false);

        // An address tried and failed loses its file; one never tried leaves it alone.
        const std::tuple<const char*, QUrl, QByteArray> unrouted[] = {
            {"unreachable", QUrl("http://127.0.0.1:0/"), {}},
            {"file: address", QUrl("file:///etc/passwd"), stale},
            {"ftp: address", m_server.url("/refused").toString().replace("http:", "ftp:"), stale},
            {"empty address", QUrl(), stale},
        };
        for (const Mode mode : modes) {
            // A download keeps only the picture itself; text and pages take any answer.
            row(mode, "error status", {.status = 404, .body = QByteArray("\0!", 2)}, mode != File);
            row(mode, "five redirects", redirectTo("/hop/4"), true);
            row(mode, "six redirects", redirectTo("/hop/5"), false);
            row(mode, "reset mid-body", {.body = body, .stopAfter = 600, .ending = Reset}, false);
            row(mode, "truncated body", {.body = "short", .claimedLength = 900}, false);
            row(mode, "redirect to file:", redirectTo("file:///etc/passwd"), false);
            row(mode, "slow answer", {.body = "late", .headerDelay = 3s}, false, shortDeadline);
            // A byte every 50 ms never trips an idle timeout; the whole would take 10 s.
            row(mode, "trickle", {.body = body.left(200), .pieceSize = 1, .pieceDelay = 50ms},
                false, shortDeadline);
            // Qt's network thread reads a head a byte at a time, and these never end.
            row(mode, "endless head", {.floodHead = true}, false, shortDeadline);
            for (const auto& [name, url, file] : unrouted)
                QTest::addRow("%s: %s", kinds[int(mode)], name)
                    << mode << url << int(longDeadline.count()) << false << QUrl() << file;
        }
    }

    // Twice each: the second time, too, must reach the server.
    void transfer()
    {
        QFETCH(Mode, mode);
        QFETCH(QUrl, url);
        QFETCH(int, deadlineMs);
        QFETCH(bool, ok);
        QFETCH(QUrl, reached);
        QFETCH(QByteArray, body);
        m_http->setDeadline(std::chrono::milliseconds(deadlineMs));
        const bool served = url.scheme() == u"http" && url.port() == m_server.url("/").port();
        for (int round = 1; round <= 2; ++round) {
            QList<HttpResult> results;
            QObject context;
            start(mode, url, &context, results);
            QVERIFY(results.isEmpty()); // never before the call has returned
            QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, boundMs);
            QCoreApplication::sendPostedEvents(); // a second report would be queued by now
            QCOMPARE(results.size(), 1);
            const HttpResult result = results.first();
            QVERIFY2(result.ok == ok && result.error.isEmpty() == ok, qPrintable(result.error));
            // The server, on this thread too, may read the request after the client gave up.
            QTRY_COMPARE_WITH_TIMEOUT(requestsFor(url).size(), served ? round : 0, boundMs);
            if (ok || mode == Page) // a page names the address it was asked for
                QCOMPARE(result.url, ok && mode != Page ? reached : url);
            if (ok && mode == Text)
                QCOMPARE(result.body, body);
            if (mode == File) {
                QFile file(tempPath());
                QCOMPARE(file.exists(), !body.isNull());
                QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), body);
            }
        }
        for (const FaultServer::Request& request : requestsFor(url))
            QCOMPARE(request.header("Cache-Control"), "no-cache");
    }

    // Without a whole module every transfer fails, from the event loop, saying why, and
    // touches neither the server nor a file; a cut module or a FIFO in its place is never
    // loaded (it would crash or block the widget). The module put back serves the next one.
    void withoutTheModule_data()
    {
        QTest::addColumn<QByteArray>("module"); // its bytes, "<cut>", "<fifo>", "<gif>", null: none
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QByteArray() << "libartcal-network.so is not installed";
        QTest::newRow("cut") << QByteArray("<cut>") << "cut short";
        QTest::newRow("fifo") << QByteArray("<fifo>") << "not a regular file";
        QTest::newRow("text") << QByteArray(100, 'x') << "not a library of this machine";
        QTest::newRow("a Qt plugin of another kind")
            << QByteArray("<gif>") << "is not this build's module";
    }
    void withoutTheModule()
    {
        QFETCH(QByteArray, module);
        QFETCH(QString, why);
        const QString real = QCoreApplication::applicationDirPath() + "/libartcal-network.so";
        const QTemporaryDir folder; // of this row's own: Qt keeps a loaded module by its path
        const QString placed = folder.filePath("libartcal-network.so");
        QFile realFile(real);
        QVERIFY(realFile.open(QIODevice::ReadOnly));
        if (module == "<fifo>")
            QCOMPARE(mkfifo(QFile::encodeName(placed), 0600), 0);
        QFile placedFile(placed);
        if (!module.isNull() && module != "<fifo>") {
            QFile gif(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/imageformats/libqgif.so");
            const QByteArray bytes = module == "<cut>" ? realFile.read(realFile.size() / 2)
                                     : module == "<gif>"
                                         ? (gif.open(QIODevice::ReadOnly), gif.readAll())
                                         : module;
            QVERIFY(placedFile.open(QIODevice::WriteOnly) &&
                    placedFile.write(bytes) == bytes.size());
            placedFile.close();
        }
        m_http = std::make_unique<Http>(nullptr, QStringList{folder.path()});
        QObject context; // its page request goes with this row's Http
        const qsizetype served = requestsFor(m_server.url("/alone")).size(); // by rows before
        QList<HttpResult> results;
        for (const Mode mode : modes)
            start(mode, m_server.url("/alone"), &context, results);
        QVERIFY(results.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 3, boundMs);
        for (const HttpResult& result : std::as_const(results))
            QVERIFY2(!result.ok && result.error.contains(why), qPrintable(result.error));
        QCOMPARE(requestsFor(m_server.url("/alone")).size(), served);
        QFile file(tempPath());
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == stale);

        // The same file as the one loaded already (a link), so that it is not loaded twice.
        QFile::remove(placed);
        QCOMPARE(link(QFile::encodeName(real), QFile::encodeName(placed)), 0);
        start(Text, m_server.url("/alone"), &context, results);
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 4, boundMs);
        QVERIFY2(results.last().ok, qPrintable(results.last().error));
    }

    // A module is this build's when its plugin metadata names this interface and version.
    void moduleRefusal_data()
    {
        QTest::addColumn<QJsonObject>("metaData");
        QTest::addColumn<QString>("why");
        const QJsonObject built =
            QPluginLoader(QCoreApplication::applicationDirPath() + "/libartcal-network.so")
                .metaData();
        QJsonObject otherInterface = built;
        otherInterface["IID"] = "io.github.artcal.NetworkEngine/0";
        QJsonObject otherVersion = built;
        otherVersion["MetaData"] = QJsonObject{{"version", "0.0.1"}};
        QTest::newRow("the built module") << built << "";
        QTest::newRow("another interface") << otherInterface << "interface";
        QTest::newRow("another version") << otherVersion << "version \"0.0.1\"";
        QTest::newRow("no metadata") << QJsonObject() << "interface";
    }
    void moduleRefusal()
    {
        QFETCH(QJsonObject, metaData);
        QFETCH(QString, why);
        const QString refusal = Module::refusal(metaData, ARTCAL_NETWORK_ENGINE_IID);
        QVERIFY2(why.isEmpty() ? refusal.isEmpty() : refusal.startsWith(why), qPrintable(refusal));
    }

    void cancelledTransfersReportNothing_data()
    {
        QTest::addColumn<QString>("how");

        QTest::newRow("owner destroyed") << QStringLiteral("owner");
        QTest::newRow("owner destroyed by a callback") << QStringLiteral("callback");
        QTest::newRow("abortAll") << QStringLiteral("abortAll");
        QTest::newRow("context destroyed") << QStringLiteral("context");
    }

    void cancelledTransfersReportNothing()
    {
        QFETCH(QString, how);
        // 15 s long: only cancelling ends it here.
        m_server.route("/endless",
                       {.body = stale.left(maxBytes), .pieceSize = 10, .pieceDelay = 50ms});
        const int closedBefore = m_server.closedConnections();
        QList<HttpResult> results;
        auto context = std::make_unique<QObject>();
        for (const Mode mode : modes)
            start(mode, m_server.url("/endless"), context.get(), results);
        QTRY_VERIFY_WITH_TIMEOUT(m_steps > 0, boundMs);
        // Another navigation of the page reports for itself and leaves the first running.
        start(Page, m_server.url("/target"), context.get(), results);
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, boundMs);
        QVERIFY(results[0].ok && results[0].url == m_server.url("/target"));
        QCOMPARE_LE(m_server.closedConnections() - closedBefore, 1);

        if (how == u"owner")
            m_http.reset();
        else if (how == u"callback") // of a transfer that ends meanwhile
            m_http->getText(m_server.url("/target"), maxBytes, this,
                            [this](const HttpResult&) { m_http.reset(); });
        else if (how == u"abortAll")
            m_http->abortAll();
        else
            context.reset();
        const int steps = m_steps;
        // The server sees every connection go; anything queued by then has been handled.
        QTRY_COMPARE_WITH_TIMEOUT(m_server.closedConnections() - closedBefore,
                                  how == u"callback" ? 5 : 4, boundMs);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(results.size(), 1);
        QCOMPARE(m_steps, steps);
        QVERIFY(!QFile::exists(tempPath()));
    }

    void endlessHeadHoldsUpNothing_data()
    {
        QTest::addColumn<bool>("cancel"); // else cut short by the time limits
        QTest::addColumn<bool>("elsewhere");
        for (const bool cancel : {false, true})
            for (const bool elsewhere : {false, true})
                QTest::addRow("%s, then %s server", cancel ? "cancelled" : "cut",
                              elsewhere ? "another" : "the same")
                    << cancel << elsewhere;
    }

    // A transfer of a head that never ends, cut or cancelled while the lines pour in, takes
    // its connection with it, and the next request goes out and completes.
    void endlessHeadHoldsUpNothing()
    {
        QFETCH(bool, cancel);
        QFETCH(bool, elsewhere);
        FaultServer other;
        other.route("/target", {.body = "target body"});
        m_server.route("/flood", {.floodHead = true});
        m_http->setDeadline(cancel ? longDeadline : shortDeadline);
        const int closedBefore = m_server.closedConnections();
        const qint64 sentBefore = m_server.sentBytes();
        QList<HttpResult> results;
        auto context = std::make_unique<QObject>();
        start(Text, m_server.url("/flood"), context.get(), results);
        if (cancel) { // once Qt's network thread is busy with the lines
            QTRY_VERIFY_WITH_TIMEOUT(m_server.sentBytes() - sentBefore > (1 << 20), boundMs);
            context.reset();
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, boundMs);
        }
        m_http->setDeadline(longDeadline); // the next one is a good answer
        QObject after;
        start(Text, (elsewhere ? other : m_server).url("/target"), &after, results);
        QTRY_VERIFY_WITH_TIMEOUT(!results.isEmpty() && results.last().ok, boundMs);
        QCOMPARE(results.last().body, "target body");
        QTRY_COMPARE_WITH_TIMEOUT(m_server.closedConnections() - closedBefore, elsewhere ? 1 : 2,
                                  boundMs);
    }
};

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
