// SPDX-License-Identifier: GPL-3.0-or-later
// The real server on a loopback port, spoken to over HTTP: the widget's exchange, the
// pages, and what a hostile or careless client may send.
#include "PickCookie.h"
#include "PictureId.h"
#include "PictureSamples.h"
#include "RawHttp.h"
#include "ServerThread.h"
#include "TestLibrary.h"
#include "platform/Http.h"
#include "platform/PageRequest.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray pick = "/calender/queryrandompic.php";
const QByteArray record = "/calender/curpic.dat";

QByteArray idOf(const QString& relativePath)
{
    return QByteArray::number(server::pictureId(relativePath));
}

// What a request of the responses table comes with.
struct Setup
{
    QByteArray method = "GET"; // a HEAD after a GET must answer alike
    QByteArray headers = {};   // sent with it
    QByteArrayList picks = {}; // random picks before it, each "CLIENT QUERY"
    // A library file changed before it: "NAME=CONTENT" writes the file, "NAME" makes it a
    // link to a picture outside the library.
    QString change = {};
    // Sent exactly as given instead of a request for the target: the answer and the
    // server's close must come well before the idle timeout.
    QByteArray raw = {};
};

// GET requests sent at once from `from`, each on a connection of its own, their answers
// read later.
std::vector<std::unique_ptr<QTcpSocket>> sendGets(int port, const QByteArrayList& targets,
                                                  const QHostAddress& from)
{
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (const QByteArray& target : targets) {
        auto& socket = sockets.emplace_back(std::make_unique<QTcpSocket>());
        socket->bind(from);
        socket->connectToHost(QHostAddress::LocalHost, quint16(port));
        socket->write("GET " + target + " HTTP/1.1\r\nHost: localhost\r\n\r\n");
        socket->waitForBytesWritten(5000);
    }
    return sockets;
}

// The heads of the answers to `sockets` once `expected` of them came (or `ms` went by),
// one per socket, empty for none; the sockets answered are closed.
QByteArrayList heads(const std::vector<std::unique_ptr<QTcpSocket>>& sockets, int expected,
                     int ms = 5000)
{
    QByteArrayList received(qsizetype(sockets.size()));
    QElapsedTimer timer;
    timer.start();
    while (received.size() - received.count({}) < expected && timer.elapsed() < ms) {
        for (size_t i = 0; i < sockets.size(); ++i) {
            if (sockets[i]->isOpen() && sockets[i]->waitForReadyRead(10))
                received[i] += sockets[i]->readAll();
        }
    }
    for (size_t i = 0; i < sockets.size(); ++i) {
        if (!received[i].isEmpty())
            sockets[i]->close();
        received[i] = received[i].left(received[i].indexOf("\r\n\r\n"));
    }
    return received;
}

// A widget as the server meets it: one network manager and cookie jar for its run.
struct Widget
{
    platform::Http http;
    platform::PageRequest page{http};

    // Opens the pick page as the browser does; true once it arrived.
    bool openPick(int port, const QByteArray& category)
    {
        QSignalSpy reached(&page, &platform::PageRequest::navigateComplete);
        page.navigate(
            QUrl(u"http://127.0.0.1:%1"_s.arg(port) +
                 QString::fromLatin1(pick + "?category=" + QUrl::toPercentEncoding(category))));
        return reached.wait(5000);
    }
    // The record as the widget reads it; empty when none came.
    QByteArray readRecord(int port)
    {
        std::optional<QByteArray> answer;
        const QObject context; // gone first: no late answer lands in `answer`
        http.getText(QUrl(u"http://127.0.0.1:%1"_s.arg(port) + QString::fromLatin1(record)), 1000,
                     &context,
                     [&answer](const platform::HttpResult& result) { answer = result.body; });
        return QTest::qWaitFor([&answer] { return answer.has_value(); }, 5000) ? *answer
                                                                               : QByteArray();
    }
};

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestServerHttp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void responses_data();
    void responses();
    void picksAreUniform_data();
    void picksAreUniform();
    void picksDoNotRepeat_data();
    void picksDoNotRepeat();
    void picksPerClient();
    void shownSize_data();
    void shownSize();
    void decodesWaitInBounds();
    void damagedSource_data();
    void damagedSource();

private:
    std::unique_ptr<TestLibrary> m_library;
    std::unique_ptr<ServerThread> m_server; // destroyed before the library it serves
};

void TestServerHttp::init()
{
    m_server.reset();
    m_library = std::make_unique<TestLibrary>();
    m_library->addPictures("Abstract", 8);
    m_library->addPictures("Light & Shadow", 3);
    m_library->addPicture("C++", "plus.png");
    m_library->addPicture("<b>&\"'", "<b>&\"'.jpg");         // names that are all markup
    QFile text(m_library->addPicture("Text", "digits.jpg")); // served as it is, whatever it holds
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("0123456789") == 10);
    text.close();
    server::HttpServer::Limits limits;
    limits.idleSeconds = 60; // far past the 10 s a raw request's answer may take
    m_server = std::make_unique<ServerThread>(m_library->path(), limits);
}

void TestServerHttp::responses_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArrayList>("expected"); // each in the response
    QTest::addColumn<Setup>("setup");
    const auto row = [](const char* name, const QByteArray& target, const QByteArrayList& expected,
                        const Setup& setup = {}) {
        QTest::newRow(name) << target << expected << setup;
    };
    const QByteArray ok = "HTTP/1.1 200 OK";
    const QByteArray html = "Content-Type: text/html; charset=utf-8";
    const QByteArray notFound = "HTTP/1.1 404 Not Found";
    const QByteArray badRequest = "HTTP/1.1 400 Bad Request";
    const QByteArray escaped = "&lt;b&gt;&amp;&quot;&#39;";
    const QByteArray plus = idOf("C++/plus.png");
    const QByteArray named = idOf("<b>&\"'/<b>&\"'.jpg");
    const QByteArray gallery = "/calender/mygallery.php?category=mygallery&mygallery=";
    const QByteArray digits = "/pictures/" + idOf("Text/digits.jpg") + ".jpg";
    const QByteArray big(200 * 1024, 'a'); // past the 128 KiB each connection may hold
    QByteArray tooManyIds = gallery;
    for (int id = 1; id <= 5001; ++id)
        tooManyIds += QByteArray::number(id) + ',';
    const QByteArray arguments = "/?" + QByteArray("a&").repeated(999) + 'a'; // 1,000
    // The record's addresses take the host the client asked for (the local one is 127.0.0.1).
    const QByteArrayList plusRecord = {ok, "Cache-Control: no-store", "\r\n\r\nhttp://localhost:",
                                       "/picture/" + plus + "\nhttp://localhost:",
                                       "/pictures/" + plus + ".png\n" + plus + "\nC++"};
    const QByteArrayList noRecord = {ok, "Cache-Control: no-store", "\r\n\r\n-1"};

    row("record, another client picked since", record, plusRecord,
        {.picks = {"127.0.0.1 ?category=C++", "127.0.0.2 ?category=Abstract"}});
    row("record, no pick yet", record, noRecord, {.picks = {"127.0.0.2 ?category=C++"}});
    row("record, unknown category picked last", record, noRecord,
        {.picks = {"127.0.0.1 ?category=C++", "127.0.0.1 ?category=Nothing"}});
    row("record, other case", record, noRecord, {.picks = {"127.0.0.1 ?category=c++"}});
    row("record, encoded name", record, {"\nLight & Shadow"},
        {.picks = {"127.0.0.1 ?category=Light%20%26%20Shadow"}});
    row("home", "/", {ok, html, "Light &amp; Shadow", escaped});
    // The names as they are, in the widget's Categories.dat form: text, not markup.
    row("categories", "/calender/categories.dat",
        {ok, "Content-Type: text/plain; charset=utf-8", "Cache-Control: no-store",
         "\r\n\r\n<b>&\"'\r\nAbstract\r\nC++\r\nLight & Shadow\r\nText\r\n"});
    row("pick, unknown markup name", pick + "?category=%3Cb%3E%26%22%27no",
        {ok, html, "Cache-Control: no-store", escaped + "no"});
    row("picture page", "/picture/" + plus,
        {ok, html, "<title>plus</title>", "<img src=\"/pictures/" + plus + ".png\""});
    row("gallery, known ids only", gallery + plus + ",,999," + named,
        {ok, html, "href=\"/picture/" + plus + '"', "href=\"/picture/" + named + '"'});
    row("picture file, png", "/pictures/" + plus + ".png", {ok, "Content-Type: image/png"});
    row("thumbnail", "/thumbs/" + plus + ".jpg", {ok, "Content-Type: image/jpeg"});
    row("thumbnail of no image", "/thumbs/" + idOf("Text/digits.jpg") + ".jpg", {notFound});
    row("picture file, other suffix", "/pictures/" + plus + ".jpg", {notFound, "No Such Picture"});
    row("unknown id", "/picture/123", {notFound, html, "No Such Picture"});
    row("library file by name", "/Abstract/p0.jpg", {notFound});
    row("malformed query", pick + "?category=%zz", {badRequest, html});
    row("dot-dot", "/pictures/../../../etc/passwd", {badRequest});
    row("encoded dot-dot", "/pictures/%2e%2e/%2e%2e/etc/passwd", {badRequest});
    row("encoded slashes", "/pictures/..%2F..%2Fetc%2Fpasswd", {badRequest});
    row("oversized request line", "/?" + big, {"HTTP/1.1 414 URI Too Long"});
    row("oversized header line", "/", {"HTTP/1.1 431 Request Header Fields Too Large"},
        {.headers = "X-Big: " + big + "\r\n"});
    row("gallery past its bound", tooManyIds,
        {"HTTP/1.1 414 URI Too Long", html, "a gallery page shows at most 5000 at a time"});
    row("query arguments at the bound", arguments, {ok, html});
    row("query arguments past the bound", {}, {"HTTP/1.1 414 URI Too Long", "Connection: close"},
        {.raw = "GET " + arguments + QByteArray("&a").repeated(1001) +
                " HTTP/1.1\r\nHost: x\r\n\r\n"});
    // Starts that are no request line: the library alone closed without a word or, taking a
    // NUL for an empty line, waited for the request until the idle timeout.
    const QByteArrayList badRequest400 = {"HTTP/1.1 400 Bad Request", "Connection: close"};
    row("request line of one word", {}, badRequest400, {.raw = "GARBAGE\r\n\r\n"});
    row("NUL before the method", {}, badRequest400, {.raw = QByteArray("\0 garbage\r\n\r\n", 13)});
    row("TLS handshake", {}, badRequest400, {.raw = QByteArray::fromHex("16030100c4010000c00303")});
    row("empty line before the request", {}, {ok, html, "Connection: close"},
        {.raw = "\r\nGET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"});
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"})
        row(method, pick, {"405 Method Not Allowed", "\r\nAllow: GET, HEAD\r\n"},
            {.method = method});
    row("range, last bytes", digits, {"206 Partial Content", "bytes 7-9/10", "\n\r\n789"},
        {.headers = "Range: bytes=-3\r\n"});
    row("range past the end", digits, {"416 Range Not Satisfiable", "Content-Range: bytes */10"},
        {.headers = "Range: bytes=99999999-\r\n"});
    row("weather, the library's", "/weather.htm", {ok, "\n\r\n<p>Sunny</p>"},
        {.change = "weather.htm=<p>Sunny</p>"});
    row("weather, over a megabyte", "/weather.htm", {ok, "no forecast"},
        {.change = "weather.htm=" + QString(1024 * 1024 + 1, 'x')});
    row("weather, out of the library", "/weather.htm", {ok, "no forecast"},
        {.change = "weather.htm"});
    row("picture, now out of the library", "/pictures/" + plus + ".png", {notFound},
        {.change = "C++/plus.png"});
    row("thumbnail, now out of the library", "/thumbs/" + plus + ".jpg", {notFound},
        {.change = "C++/plus.png"});
}

void TestServerHttp::responses()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArrayList, expected);
    QFETCH(Setup, setup);
    const int port = m_server->port();
    for (const QByteArray& picked : setup.picks) {
        const QByteArrayList clientAndQuery = picked.split(' ');
        rawRequest(port, pick + clientAndQuery[1], "GET", {}, QHostAddress(clientAndQuery[0]));
    }
    TestLibrary outside;
    if (!setup.change.isEmpty()) {
        QFile file(m_library->path() + '/' + setup.change.section('=', 0, 0));
        const QByteArray content = setup.change.section('=', 1).toUtf8();
        file.remove();
        QVERIFY(setup.change.contains('=')
                    ? file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
                    : QFile::link(outside.addPicture("S", "secret.png"), file.fileName()));
    }

    QByteArray get;
    if (setup.raw.isEmpty()) {
        get = rawRequest(port, target, setup.method, setup.headers);
    } else {
        // Well before the idle timeout (a minute here), however busy the machine.
        const RawExchange raw = rawExchange(port, setup.raw, 10000);
        QVERIFY2(raw.closed, raw.received.left(300).constData());
        get = raw.received;
    }
    for (const QByteArray& text : expected)
        QVERIFY2(get.contains(text), get.left(300).constData());
    if (get.contains("Content-Type: text/html"))
        QVERIFY(!get.contains("<b>"));
    if (get.startsWith("HTTP/1.1 200") && get.contains("Content-Type: image/"))
        QVERIFY(!QImage::fromData(bodyOf(get)).isNull());
    // HEAD answers with the head of GET and no body.
    static const QRegularExpression date("Date: [^\r]*\r\n");
    if (setup.method == "GET" && setup.raw.isEmpty())
        QCOMPARE(QString::fromLatin1(rawRequest(port, target, "HEAD", setup.headers)).remove(date),
                 QString::fromLatin1(get.left(get.size() - bodyOf(get).size())).remove(date));
    QVERIFY(rawRequest(port, "/").startsWith("HTTP/1.1 200")); // and the server still answers
}

void TestServerHttp::picksAreUniform_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("pictures");
    QTest::newRow("one category") << QByteArray("?category=Abstract") << 8;
    QTest::newRow("all pictures") << QByteArray() << 14;
}

void TestServerHttp::picksAreUniform()
{
    QFETCH(QByteArray, query);
    QFETCH(int, pictures);
    // A cookie of a client that remembers no picture: each pick is from them all.
    const std::string fresh = server::PickCookie::header({}, QByteArray(32, 'k'));
    const QByteArray cookie =
        "Cookie: " + QByteArray::fromStdString(fresh.substr(0, fresh.find(';')));
    QMap<QByteArray, int> counts;
    for (int i = 0; i < 300 * pictures; ++i) {
        rawRequest(m_server->port(), pick + query, "GET", cookie + "\r\n");
        ++counts[bodyOf(rawRequest(m_server->port(), record))];
    }
    QCOMPARE(counts.size(), pictures);
    // Chi-square against 300 each; 34.5 is the 0.1% critical value for 13 degrees of freedom
    // (less for fewer). The seed is fixed, so the outcome is too.
    double chiSquare = 0;
    for (const int count : std::as_const(counts))
        chiSquare += (count - 300) * (count - 300) / 300.0;
    QVERIFY2(chiSquare < 34.5, qPrintable(QString::number(chiSquare)));
}

void TestServerHttp::picksDoNotRepeat_data()
{
    QTest::addColumn<bool>("cookies");
    QTest::addColumn<int>("pictures"); // in the category
    QTest::newRow("cookies, two instances") << true << 6;
    QTest::newRow("no cookies") << false << 6;
    QTest::newRow("two pictures, cookies") << true << 2;
    QTest::newRow("one picture") << false << 1;
}

// A client is not given one of its last min(5, n - 1) pictures of n again. Two clients take
// turns: widgets behind one address, each with its cookie jar, asking two instances with
// one key in turn; or clients without cookies, each from an address of its own.
void TestServerHttp::picksDoNotRepeat()
{
    QFETCH(bool, cookies);
    QFETCH(int, pictures);
    TestLibrary library;
    library.addPictures("Mine", pictures);
    const ServerThread first(library.path());
    const ServerThread second(library.path());
    Widget widgets[2];
    const QHostAddress addresses[2] = {QHostAddress("127.0.0.2"), QHostAddress("127.0.0.3")};
    QByteArrayList ids[2];
    for (int round = 0; round < 20; ++round) {
        for (const int client : {0, 1}) {
            const int port = (cookies && round % 2 ? second : first).port();
            QByteArray answer;
            if (cookies) {
                QVERIFY(widgets[client].openPick(port, "Mine"));
                // The record from the other instance: the cookie carries the pick.
                answer = widgets[client].readRecord((round % 2 ? first : second).port());
            } else {
                rawRequest(port, pick + "?category=Mine", "GET", {}, addresses[client]);
                answer = bodyOf(rawRequest(port, record, "GET", {}, addresses[client]));
            }
            const QByteArray id = answer.split('\n').value(2);
            const QByteArrayList before =
                ids[client].mid(ids[client].size() - std::min(5, pictures - 1));
            QVERIFY2(!id.isEmpty() && !before.contains(id),
                     qPrintable(ids[client].join(' ') + " then " + id));
            ids[client].append(id);
        }
    }
}

// Two widgets behind one address, each with the network manager and cookie jar it keeps
// for its run, take turns: each record answers its own pick. A client without cookies
// gets the last pick made from its address, as before picks had cookies.
void TestServerHttp::picksPerClient()
{
    Widget widgets[2];
    const QByteArray categories[2] = {"Abstract", "Light & Shadow"};
    const int port = m_server->port();
    const auto categoryOf = [](const QByteArray& answer) { return answer.split('\n').value(3); };
    for (int pair = 0; pair < 100; ++pair) {
        for (const int client : {0, 1})
            QVERIFY(widgets[client].openPick(port, categories[client]));
        for (const int client : {0, 1})
            QCOMPARE(categoryOf(widgets[client].readRecord(port)), categories[client]);
    }
    QCOMPARE(categoryOf(bodyOf(rawRequest(port, record))), "Light & Shadow");
    QCOMPARE(
        categoryOf(bodyOf(rawRequest(port, record, "GET", "Cookie: artcal_pick=1.forged\r\n"))),
        "Light & Shadow");
}

void TestServerHttp::shownSize_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("served");
    const QSize whole(1600, 1200);
    QTest::newRow("shown size") << QByteArray("?w=188&h=144") << "big" << QSize(341, 256);
    QTest::newRow("twice the pixels") << QByteArray("?w=376&h=288") << "big" << QSize(682, 512);
    QTest::newRow("a screen, never enlarged") << QByteArray("?w=2560&h=1440") << "big" << whole;
    QTest::newRow("past the steps") << QByteArray("?w=5000&h=2000") << "big" << whole;
    QTest::newRow("no size") << QByteArray() << "big" << whole;
    QTest::newRow("not a size") << QByteArray("?w=1e2&h=-1") << "big" << whole;
    QTest::newRow("picture no larger") << QByteArray("?w=188&h=144") << "small" << QSize(32, 24);
}

// A picture asked for at the size it is shown at comes scaled to cover that size, kept
// for the next request; without a usable size it comes whole.
void TestServerHttp::shownSize()
{
    QFETCH(QByteArray, query);
    QFETCH(QString, picture);
    m_library->addPicture("Abstract", "p0.jpg", {1600, 1200}); // over a small one, same id
    const QByteArray target = "/pictures/" +
                              idOf(picture == "big" ? "Abstract/p0.jpg" : "Abstract/p1.jpg") +
                              ".jpg" + query;
    const QByteArray first = rawRequest(m_server->port(), target);
    QVERIFY2(first.startsWith("HTTP/1.1 200 OK") && first.contains("Content-Type: image/jpeg"),
             first.left(200).constData());
    QTEST(QImage::fromData(bodyOf(first)).size(), "served");
    const QByteArray again =
        rawRequest(m_server->port(), target + (query.isEmpty() ? "?" : "&") + "x");
    QCOMPARE(bodyOf(again), bodyOf(first));
}

// HEAD makes no variant. Decodes wait their turn within bounds: with no worker free, a
// client may have two waiting and all clients three; past that, or past the deadline, the
// whole file comes at once, as does a variant made before; stopping drops what waits.
void TestServerHttp::decodesWaitInBounds()
{
    const auto count = [](const QByteArrayList& heads, const QRegularExpression& pattern) {
        return std::ranges::count_if(heads, [&pattern](const QByteArray& head) {
            return pattern.match(QString::fromLatin1(head + "\r\n")).hasMatch();
        });
    };
    const QString big = m_library->addPicture("Abstract", "p0.jpg", {1600, 1200});
    const qint64 whole = QFileInfo(big).size();
    const QRegularExpression wholeHead(
        "^HTTP/1.1 200 OK\r\n.*Content-Length: " + QString::number(whole) + "\r\n",
        QRegularExpression::DotMatchesEverythingOption);
    const QByteArray file = "/pictures/" + idOf("Abstract/p0.jpg") + ".jpg";
    const QByteArray cached = file + "?w=188&h=144";
    const QTemporaryDir scaled;
    server::HttpServer::Limits limits;
    {
        const ServerThread idle(m_library->path(), limits, scaled.path());
        rawRequest(idle.port(), cached);
        QCOMPARE(count({rawRequest(idle.port(), file + "?w=900&h=900", "HEAD")}, wholeHead), 1);
    }
    QCOMPARE(QDir(scaled.path()).entryList(QDir::Files).size(), 1); // HEAD made none
    limits.workers = 0;                                             // every decode waits
    limits.work = {.perClient = 2, .waiting = 3, .deadline = std::chrono::minutes(1)};
    auto busy = std::make_unique<ServerThread>(m_library->path(), limits, scaled.path());
    const int port = busy->port();
    const auto sizes = [&file](int from, int count) {
        QByteArrayList targets;
        for (int side = from; side < from + count; ++side)
            targets.append(file + "?w=" + QByteArray::number(16 << side) + "&h=300");
        return targets;
    };

    // One client's third, and then the request past the three in all, come whole at once.
    const auto first = sendGets(port, sizes(2, 3), QHostAddress("127.0.0.2"));
    QCOMPARE(count(heads(first, 1), wholeHead), 1);
    const auto second = sendGets(port, sizes(5, 2), QHostAddress("127.0.0.3"));
    QCOMPARE(count(heads(second, 1), wholeHead), 1);
    // A variant made before comes scaled at once.
    QCOMPARE(QImage::fromData(bodyOf(rawRequest(port, cached))).size(), QSize(341, 256));

    // Stopping drops the waiting decodes: a 503 each, and a stop that does not wait for
    // them (their deadline is a minute away; bench/fair-check times the real stop).
    QElapsedTimer stopping;
    stopping.start();
    busy.reset();
    QCOMPARE_LT(stopping.elapsed(), 20000);
    const QByteArrayList dropped = heads(first, 2) + heads(second, 1);
    QCOMPARE(count(dropped, QRegularExpression("^HTTP/1.1 503 Service Unavailable\r\n")), 3);

    // Past the deadline, the whole file.
    limits.work.deadline = std::chrono::milliseconds(300);
    const ServerThread late(m_library->path(), limits, scaled.path());
    QElapsedTimer waited;
    waited.start();
    QCOMPARE(bodyOf(rawRequest(late.port(), file + "?w=900&h=900")).size(), whole);
    QCOMPARE_GE(waited.elapsed(), 300);
}

void TestServerHttp::damagedSource_data()
{
    QTest::addColumn<QByteArray>("file");
    for (const auto& [name, file] : PictureSamples::files().asKeyValueRange())
        if (!name.startsWith("whole"))
            QTest::newRow(qPrintable(name)) << file;
}

// A damaged library file is never scaled (nor kept so) or made a thumbnail of: it goes
// out as it is, which widgets refuse, not as a whole-looking smaller picture.
void TestServerHttp::damagedSource()
{
    QFETCH(QByteArray, file);
    QFile library(m_library->addPicture("Abstract", "p0.jpg"));
    QVERIFY(library.open(QIODevice::WriteOnly) && library.write(file) == file.size());
    library.close();
    const QByteArray id = idOf("Abstract/p0.jpg");
    QCOMPARE(bodyOf(rawRequest(m_server->port(), "/pictures/" + id + ".jpg?w=188&h=144")), file);
    QVERIFY(rawRequest(m_server->port(), "/thumbs/" + id + ".jpg").startsWith("HTTP/1.1 404"));
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_serverhttp.moc"
