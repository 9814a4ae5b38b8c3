// The real server on a loopback port, spoken to over HTTP: the widget's exchange, the
// pages, and what a hostile or careless client may send.
#include "RawHttp.h"
#include "ServerThread.h"
#include "TestLibrary.h"

#include <QFile>
#include <QTest>

#include <httplib.h>

namespace {

const QHostAddress secondClient("127.0.0.2");

QByteArray pickTarget(const QByteArray& category = {})
{
    return "/calender/queryrandompic.php" +
           (category.isNull() ? QByteArray() : "?category=" + category);
}

// The widget's exchange: the random pick, then the record, from one client address.
QList<QByteArray> pickAndRead(int port, const QByteArray& category = {},
                              const QHostAddress& from = QHostAddress::LocalHost)
{
    if (rawRequest(port, pickTarget(category), "GET", from).status != 200)
        return {};
    return rawRequest(port, "/calender/curpic.dat", "GET", from).body.split('\n');
}

QByteArray pathOf(const QByteArray& url)
{
    return url.mid(url.indexOf('/', QByteArray("http://").size()));
}

} // namespace

class TestServerHttp : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recordLeadsToThePicture();
    void categoryChoice_data();
    void categoryChoice();
    void picksAreUniform_data();
    void picksAreUniform();
    void currentPictureIsPerClient();
    void idsSurviveRestartAndLibraryChange();
    void pages_data();
    void pages();
    void galleryShowsKnownIdsOnly();
    void weatherPageFromTheLibrary();
    void namesAreEscapedInHtml();
    void refusedRequests_data();
    void refusedRequests();
    void pictureReplacedBySymlinkIsNotServed();
    void onlyGetAndHeadAreAnswered_data();
    void onlyGetAndHeadAreAnswered();
    void headMatchesGet();
    void fiftyKeepAliveClientsDoNotStarveAnother();

private:
    std::unique_ptr<TestLibrary> m_library;
    std::unique_ptr<ServerThread> m_server;
};

void TestServerHttp::init()
{
    m_library = std::make_unique<TestLibrary>();
    m_library->addPictures("Abstract", 8);
    m_library->addPictures("Light & Shadow", 3);
    m_library->addPicture("C++", "plus.png");
    m_server = std::make_unique<ServerThread>(m_library->path());
}

void TestServerHttp::cleanup()
{
    m_server.reset();
    m_library.reset();
}

void TestServerHttp::recordLeadsToThePicture()
{
    const int port = m_server->port();
    QCOMPARE(rawRequest(port, pickTarget("Abstract")).status, 200);
    // The record's addresses use the host the client asked for.
    const QByteArray base = "http://localhost:" + QByteArray::number(port);
    const RawResponse answer = rawExchange(
        port, "GET /calender/curpic.dat HTTP/1.1\r\nHost: localhost:" + QByteArray::number(port) +
                  "\r\nConnection: close\r\n\r\n");
    QCOMPARE(answer.headers.value("cache-control"), "no-store");
    const QList<QByteArray> record = answer.body.split('\n');
    QCOMPARE(record.size(), 4);
    const QByteArray& id = record[2];
    QCOMPARE(record[0], base + "/picture/" + id);
    QCOMPARE(record[1], base + "/pictures/" + id + ".jpg");
    QCOMPARE(record[3], "Abstract");

    const RawResponse picture = rawRequest(port, pathOf(record[1]));
    QCOMPARE(picture.status, 200);
    QCOMPARE(picture.headers.value("content-type"), "image/jpeg");
    QFile file(m_library->path() + "/Abstract/p0.jpg");
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Every picture of the category has the same bytes, whichever was picked.
    QCOMPARE(picture.body, file.readAll());
    const RawResponse page = rawRequest(port, pathOf(record[0]));
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains("<img src=\"/pictures/" + id + ".jpg\""));
    QVERIFY(page.body.contains("href=\"/\""));
    QVERIFY(pickAndRead(port, "C++").value(1).endsWith(".png"));
}

void TestServerHttp::categoryChoice_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("category"); // null: any; "-1": no current picture
    QTest::newRow("encoded") << QByteArray("Light%20%26%20Shadow") << QByteArray("Light & Shadow");
    QTest::newRow("outer spaces") << QByteArray("%20Light%20%26%20Shadow%20%20")
                                  << QByteArray("Light & Shadow");
    QTest::newRow("plus signs") << QByteArray("C++") << QByteArray("C++");
    QTest::newRow("all") << QByteArray("") << QByteArray();
    QTest::newRow("unknown") << QByteArray("Nothing%20here") << QByteArray("-1");
}

void TestServerHttp::categoryChoice()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, category);
    const int port = m_server->port();
    QCOMPARE(pickAndRead(port, "Abstract").size(), 4); // a current picture to replace
    for (int i = 0; i < 10; ++i) {
        const QList<QByteArray> record = pickAndRead(port, query);
        if (category == "-1")
            QCOMPARE(record, QList<QByteArray>{"-1"});
        else
            QCOMPARE(record.size(), 4);
        if (!category.isNull() && category != "-1")
            QCOMPARE(record[3], category);
    }
}

void TestServerHttp::picksAreUniform_data()
{
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<int>("pictures");
    QTest::newRow("one category") << QByteArray("Abstract") << 8;
    QTest::newRow("all pictures") << QByteArray() << 12;
}

void TestServerHttp::picksAreUniform()
{
    QFETCH(QByteArray, category);
    QFETCH(int, pictures);
    const int picks = 300 * pictures;
    const std::string pick = pickTarget(category).toStdString();
    httplib::Client client("127.0.0.1", m_server->port());
    client.set_keep_alive(true);
    QMap<QByteArray, int> counts;
    for (int i = 0; i < picks; ++i) {
        const auto picked = client.Get(pick);
        const auto record = client.Get("/calender/curpic.dat");
        QVERIFY(picked && record);
        const QList<QByteArray> fields = QByteArray::fromStdString(record->body).split('\n');
        QCOMPARE(fields.size(), 4);
        if (!category.isNull())
            QCOMPARE(fields[3], category);
        ++counts[fields[2]];
    }
    QCOMPARE(counts.size(), pictures);
    // Chi-square against equal counts; the 0.1% critical value for up to 11 degrees of
    // freedom is at most 31.3. The seed is fixed, so the outcome is too.
    const double expected = double(picks) / pictures;
    double chiSquare = 0;
    for (const int count : std::as_const(counts))
        chiSquare += (count - expected) * (count - expected) / expected;
    QVERIFY2(chiSquare < 31.3, qPrintable(QString::number(chiSquare)));
}

void TestServerHttp::currentPictureIsPerClient()
{
    const int port = m_server->port();
    QCOMPARE(pickAndRead(port, "Abstract").value(3), "Abstract");
    QCOMPARE(pickAndRead(port, "C++", secondClient).value(3), "C++");
    QCOMPARE(rawRequest(port, "/calender/curpic.dat").body.split('\n').value(3), "Abstract");
    QCOMPARE(
        rawRequest(port, "/calender/curpic.dat", "GET", secondClient).body.split('\n').value(3),
        "C++");
    QCOMPARE(rawRequest(port, "/calender/curpic.dat", "GET", QHostAddress("127.0.0.3")).body, "-1");
}

void TestServerHttp::idsSurviveRestartAndLibraryChange()
{
    const QByteArray id = pickAndRead(m_server->port(), "C++").value(2);
    QVERIFY(!id.isEmpty());
    m_server.reset();

    m_library->addPictures("C++", 5, "more");
    m_library->addPictures("Aardvarks", 4);
    m_server = std::make_unique<ServerThread>(m_library->path());
    const RawResponse page = rawRequest(m_server->port(), "/picture/" + id);
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains("<title>plus</title>"));
    QCOMPARE(rawRequest(m_server->port(), "/pictures/" + id + ".png").status, 200);
}

void TestServerHttp::pages_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contains");

    QTest::newRow("home") << QByteArray("/") << 200 << QByteArray("Light &amp; Shadow");
    QTest::newRow("weather, built in")
        << QByteArray("/weather.htm") << 200 << QByteArray("no forecast");
    QTest::newRow("pick") << pickTarget("Abstract") << 200 << QByteArray("Picked: p");
    QTest::newRow("gallery, empty") << QByteArray("/calender/mygallery.php?category=mygallery")
                                    << 200 << QByteArray("None of the saved pictures");
    QTest::newRow("malformed query") << pickTarget("%zz") << 400 << QByteArray("400 Bad Request");
    QTest::newRow("unknown id") << QByteArray("/picture/123") << 404
                                << QByteArray("No Such Picture");
    QTest::newRow("unknown picture file")
        << QByteArray("/pictures/123.jpg") << 404 << QByteArray("No Such Picture");
    QTest::newRow("unknown thumbnail")
        << QByteArray("/thumbs/123.jpg") << 404 << QByteArray("No Such Picture");
    QTest::newRow("unknown path") << QByteArray("/index.php") << 404 << QByteArray("404 Not Found");
}

void TestServerHttp::pages()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, contains);
    const RawResponse response = rawRequest(m_server->port(), target);
    QCOMPARE(response.status, status);
    QCOMPARE(response.headers.value("content-type"), "text/html; charset=utf-8");
    QVERIFY2(response.body.contains(contains), response.body.constData());
    QVERIFY(response.body.startsWith("<!DOCTYPE html>"));
    QVERIFY(response.body.trimmed().endsWith("</html>"));
}

void TestServerHttp::galleryShowsKnownIdsOnly()
{
    const int port = m_server->port();
    const QByteArray plus = pickAndRead(port, "C++").value(2);
    const QByteArray shadow = pickAndRead(port, "Light%20%26%20Shadow").value(2);
    const RawResponse page = rawRequest(
        port, "/calender/mygallery.php?category=mygallery&mygallery=" + plus + ",,999," + shadow);
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains("href=\"/picture/" + plus + "\""));
    QVERIFY(page.body.contains("href=\"/picture/" + shadow + "\""));
    QCOMPARE(page.body.count("<figure>"), 2);

    const RawResponse thumbnail = rawRequest(port, "/thumbs/" + plus + ".jpg");
    QCOMPARE(thumbnail.status, 200);
    QCOMPARE(thumbnail.headers.value("content-type"), "image/jpeg");
    QImage image;
    QVERIFY(image.loadFromData(thumbnail.body, "JPEG"));
    QCOMPARE(image.size(), QSize(360, 270));
}

void TestServerHttp::weatherPageFromTheLibrary()
{
    QFile page(m_library->path() + "/weather.htm");
    QVERIFY(page.open(QIODevice::WriteOnly) && page.write("<p>Sunny</p>") > 0);
    page.close();
    QCOMPARE(rawRequest(m_server->port(), "/weather.htm").body, "<p>Sunny</p>");
}

void TestServerHttp::namesAreEscapedInHtml()
{
    const QString name = "<b>&\"'";
    m_library->addPicture(name, name + ".jpg");
    m_server->server().libraryStore().rescan();
    const int port = m_server->port();
    const QByteArray encoded = QUrl::toPercentEncoding(name);
    const QByteArray id = pickAndRead(port, encoded).value(2);
    QVERIFY(!id.isEmpty());

    const QByteArray escaped = "&lt;b&gt;&amp;&quot;&#39;";
    const QList<QByteArray> targets = {"/", "/picture/" + id, pickTarget(encoded),
                                       "/calender/mygallery.php?category=mygallery&mygallery=" + id,
                                       pickTarget("%3Cb%3E%26%22%27missing")};
    for (const QByteArray& target : targets) {
        const RawResponse page = rawRequest(port, target);
        QCOMPARE(page.status, 200);
        QVERIFY2(page.body.contains(escaped), target.constData());
        QVERIFY2(!page.body.contains("<b>"), target.constData());
        QVERIFY2(!page.body.contains("&\"'"), target.constData());
    }
}

void TestServerHttp::refusedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    const auto get = [](const QByteArray& target, const QByteArray& header = {}) {
        return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + header +
               "Connection: close\r\n\r\n";
    };
    QTest::newRow("dot-dot") << get("/pictures/../../../etc/passwd");
    QTest::newRow("encoded dot-dot") << get("/pictures/%2e%2e/%2e%2e/etc/passwd");
    QTest::newRow("encoded slashes") << get("/pictures/..%2F..%2Fetc%2Fpasswd");
    QTest::newRow("absolute path") << get("/etc/passwd");
    QTest::newRow("library file by name") << get("/Abstract/p0.jpg");
    // Past cpp-httplib's 8 KiB cap.
    const QByteArray big(9000, 'a');
    QTest::newRow("oversized header line") << get("/", "X-Big: " + big + "\r\n");
    QTest::newRow("oversized request line") << get("/?" + big);
}

void TestServerHttp::refusedRequests()
{
    QFETCH(QByteArray, request);
    const RawResponse response = rawExchange(m_server->port(), request);
    QVERIFY2(response.status >= 400 && response.status < 500,
             qPrintable(QString::number(response.status)));
    QVERIFY(!response.body.contains("root:"));
    QVERIFY(!response.body.startsWith("\xFF\xD8"));
    QCOMPARE(rawRequest(m_server->port(), "/").status, 200); // and the server still answers
}

void TestServerHttp::pictureReplacedBySymlinkIsNotServed()
{
    TestLibrary outside;
    const QString secret = outside.addPicture("Secrets", "secret.jpg", Qt::red);
    const QByteArray id = pickAndRead(m_server->port(), "C++").value(2);
    const QString plus = m_library->path() + "/C++/plus.png";
    QVERIFY(QFile::remove(plus));
    QVERIFY(QFile::link(secret, plus));
    QCOMPARE(rawRequest(m_server->port(), "/pictures/" + id + ".png").status, 404);
    QCOMPARE(rawRequest(m_server->port(), "/thumbs/" + id + ".jpg").status, 404);
}

void TestServerHttp::onlyGetAndHeadAreAnswered_data()
{
    QTest::addColumn<QByteArray>("method");
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"})
        QTest::newRow(method) << QByteArray(method);
}

void TestServerHttp::onlyGetAndHeadAreAnswered()
{
    QFETCH(QByteArray, method);
    const int port = m_server->port();
    // A body follows the request; it must not be taken for a second request.
    const QByteArray body = "GET " + pickTarget("Abstract") + " HTTP/1.1\r\nHost: x\r\n\r\n";
    const RawResponse response =
        rawExchange(port,
                    method +
                        " /calender/queryrandompic.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        "Content-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body,
                    QHostAddress::LocalHost, 300);
    QCOMPARE(response.status, 405);
    QCOMPARE(response.headers.value("allow"), "GET, HEAD");
    QVERIFY2(response.extra.isEmpty(), response.extra.constData());
    QCOMPARE(rawRequest(port, "/calender/curpic.dat").body, "-1");
}

void TestServerHttp::headMatchesGet()
{
    const int port = m_server->port();
    const QByteArray picture = pathOf(pickAndRead(port, "Abstract").value(1));
    for (const QByteArray& target : {QByteArray("/"), picture, QByteArray("/nothing")}) {
        const RawResponse get = rawRequest(port, target);
        const RawResponse head = rawRequest(port, target, "HEAD");
        QCOMPARE(head.status, get.status);
        QCOMPARE(head.headers.value("content-type"), get.headers.value("content-type"));
        QCOMPARE(head.headers.value("content-length"), QByteArray::number(get.body.size()));
        QVERIFY(head.body.isEmpty());
    }
}

void TestServerHttp::fiftyKeepAliveClientsDoNotStarveAnother()
{
    const int port = m_server->port();
    // A worker serves one connection for as long as it stays open (up to the 5 s
    // keep-alive). With too few workers, a later client waits for an idle connection to
    // time out, and its 2 s read timeout expires first.
    const auto connect = [port] {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
        client->set_keep_alive(true);
        client->set_read_timeout(2, 0);
        return client;
    };
    std::vector<std::unique_ptr<httplib::Client>> clients;
    for (int i = 0; i < 51; ++i) {
        clients.push_back(connect());
        const auto response = clients.back()->Get("/calender/curpic.dat");
        QVERIFY2(response && response->status == 200, qPrintable(QString::number(i)));
    }
    for (auto& client : clients)
        QVERIFY(client->Get("/calender/curpic.dat"));
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_serverhttp.moc"
