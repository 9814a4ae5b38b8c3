// The real server on a loopback port, spoken to over HTTP: the widget's exchange, the
// pages, and what a hostile or careless client may send.
#include "PictureId.h"
#include "RawHttp.h"
#include "ServerThread.h"
#include "TestLibrary.h"

#include <QFile>
#include <QImage>
#include <QTest>

#include <httplib.h>

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
    m_server = std::make_unique<ServerThread>(m_library->path());
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
    const QByteArray big(9000, 'a'); // past cpp-httplib's 8 KiB cap on a line
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
    row("oversized request line", "/?" + big, {"HTTP/1.1 414 URI Too Long", html});
    row("oversized header line", "/", {badRequest, html}, {.headers = "X-Big: " + big + "\r\n"});
    for (const char* method : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS"})
        row(method, pick, {"405 Method Not Allowed", "\r\nAllow: GET, HEAD\r\n"},
            {.method = method});
    row("range, last bytes", digits, {"206 Partial Content", "bytes 7-9/10", "\n\r\n789"},
        {.headers = "Range: bytes=-3\r\n"});
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

    const QByteArray get = rawRequest(port, target, setup.method, setup.headers);
    for (const QByteArray& text : expected)
        QVERIFY2(get.contains(text), get.left(300).constData());
    QVERIFY(!get.contains("<b>"));
    if (get.startsWith("HTTP/1.1 200") && get.contains("Content-Type: image/"))
        QVERIFY(!QImage::fromData(bodyOf(get)).isNull());
    // HEAD answers with the head of GET and no body (cpp-httplib offers ranges on HEAD).
    if (setup.method == "GET")
        QCOMPARE(
            rawRequest(port, target, "HEAD", setup.headers).replace("Accept-Ranges: bytes\r\n", ""),
            get.left(get.size() - bodyOf(get).size()));
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
    // Widgets take turns on connections kept open: with fewer workers than connections, a
    // client waits for an idle one to time out (5 s), and its 2 s read timeout expires.
    std::vector<std::unique_ptr<httplib::Client>> clients(51);
    for (auto& client : clients) {
        client = std::make_unique<httplib::Client>("127.0.0.1", m_server->port());
        client->set_keep_alive(true);
        client->set_read_timeout(2, 0);
    }
    QMap<std::string, int> counts;
    for (int i = 0; i < 300 * pictures; ++i) {
        httplib::Client& client = *clients[size_t(i) % clients.size()];
        const auto picked = client.Get((pick + query).toStdString());
        const auto answer = client.Get(record.toStdString());
        QVERIFY2(picked && answer, qPrintable(QString::number(i)));
        ++counts[answer->body];
    }
    QCOMPARE(counts.size(), pictures);
    // Chi-square against 300 each; 34.5 is the 0.1% critical value for 13 degrees of freedom
    // (less for fewer). The seed is fixed, so the outcome is too.
    double chiSquare = 0;
    for (const int count : std::as_const(counts))
        chiSquare += (count - 300) * (count - 300) / 300.0;
    QVERIFY2(chiSquare < 34.5, qPrintable(QString::number(chiSquare)));
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_serverhttp.moc"
