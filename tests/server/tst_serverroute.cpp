// Mapping of untrusted request targets and Host headers, and the text the widget parses.
#include "BaseUrl.h"
#include "Picture.h"
#include "PictureId.h"
#include "RecordAnswer.h"
#include "RequestRoute.h"

#include <QTest>

using server::RequestRoute;
using Kind = RequestRoute::Kind;

class TestServerRoute : public QObject
{
    Q_OBJECT
private slots:
    void fromTarget_data();
    void fromTarget();
    void galleryListIsCapped();
    void baseUrl_data();
    void baseUrl();
    void recordAnswer_data();
    void recordAnswer();
    void idsAreStable();
};

void TestServerRoute::fromTarget_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QList<quint64>>("ids");
    QTest::addColumn<QString>("suffix");

    const auto row = [](const char* name, const char* target, Kind kind,
                        const QString& category = {}, const QList<quint64>& ids = {},
                        const QString& suffix = {}) {
        QTest::newRow(name) << QByteArray(target) << int(kind) << category << ids << suffix;
    };
    const char* const pick = "/calender/queryrandompic.php";
    const QByteArray gallery = "/calender/mygallery.php?category=mygallery&mygallery=";

    row("home", "/", Kind::Home);
    row("weather", "/weather.htm", Kind::Weather);
    row("record", "/calender/curpic.dat", Kind::CurrentRecord);
    row("record, escaped dot", "/calender/curpic%2Edat", Kind::CurrentRecord);
    row("pick from all", pick, Kind::RandomPick);
    row("pick, empty category", "/calender/queryrandompic.php?category=", Kind::RandomPick);
    row("pick, encoded space and ampersand",
        "/calender/queryrandompic.php?category=Light%20%26%20Shadow", Kind::RandomPick,
        "Light & Shadow");
    row("pick, plus stays plus", "/calender/queryrandompic.php?category=C++", Kind::RandomPick,
        "C++");
    row("pick, outer spaces trimmed", "/calender/queryrandompic.php?category=%20%20Abstract%20",
        Kind::RandomPick, "Abstract");
    row("pick, UTF-8", "/calender/queryrandompic.php?category=Caf%C3%A9", Kind::RandomPick,
        QString::fromUtf8("Café"));
    row("pick, other parameters", "/calender/queryrandompic.php?x=1&category=Fractals&y",
        Kind::RandomPick, "Fractals");
    row("pick, broken escape", "/calender/queryrandompic.php?category=%zz", Kind::BadRequest);
    row("pick, truncated escape", "/calender/queryrandompic.php?category=ab%2", Kind::BadRequest);
    row("pick, invalid UTF-8", "/calender/queryrandompic.php?category=%C3%28", Kind::BadRequest);
    row("pick, line feed", "/calender/queryrandompic.php?category=a%0Ab", Kind::BadRequest);
    row("gallery", gallery + "12,34", Kind::Gallery, {}, {12, 34});
    row("gallery, empty and junk entries", gallery + "12,,abc,-5,99999999999999999999, 7",
        Kind::Gallery, {}, {12, 7});
    row("gallery, no list", "/calender/mygallery.php", Kind::Gallery);
    row("picture page", "/picture/42", Kind::PicturePage, {}, {42});
    row("picture file", "/pictures/42.jpg", Kind::PictureFile, {}, {42}, "jpg");
    row("picture file, png", "/pictures/42.png", Kind::PictureFile, {}, {42}, "png");
    row("thumbnail", "/thumbs/42.jpg", Kind::Thumbnail, {}, {42}, "jpg");
    row("thumbnail, png", "/thumbs/42.png", Kind::NotFound);
    row("picture page with suffix", "/picture/42.jpg", Kind::NotFound);
    row("picture file without suffix", "/pictures/42", Kind::NotFound);
    row("picture id not a number", "/picture/abc", Kind::NotFound);
    row("picture id too long", "/picture/12345678901234567", Kind::NotFound);
    row("dot-dot", "/pictures/../../etc/passwd", Kind::BadRequest);
    row("encoded dot-dot", "/pictures/%2e%2e/%2e%2e/etc/passwd", Kind::BadRequest);
    row("encoded slashes", "/pictures/..%2f..%2fetc%2fpasswd", Kind::BadRequest);
    row("dot segment", "/./weather.htm", Kind::BadRequest);
    row("absolute file path", "/etc/passwd", Kind::NotFound);
    row("double slash", "//etc/passwd", Kind::NotFound);
    row("no leading slash", "pictures/1.jpg", Kind::BadRequest);
    row("absolute URL", "http://127.0.0.1/", Kind::BadRequest);
    row("NUL byte", "/picture/1%00", Kind::BadRequest);
    row("case matters", "/Calender/curpic.dat", Kind::NotFound);
    row("trailing slash", "/calender/curpic.dat/", Kind::NotFound);
    row("empty", "", Kind::BadRequest);
}

void TestServerRoute::fromTarget()
{
    QFETCH(QByteArray, target);
    QFETCH(int, kind);
    QFETCH(QString, category);
    QFETCH(QList<quint64>, ids);
    QFETCH(QString, suffix);

    const RequestRoute route = RequestRoute::fromTarget(target.toStdString());
    QCOMPARE(int(route.kind), kind);
    QCOMPARE(route.category, category);
    QCOMPARE(route.ids, ids);
    QCOMPARE(route.suffix, suffix);
}

void TestServerRoute::galleryListIsCapped()
{
    QByteArray target = "/calender/mygallery.php?mygallery=";
    for (int i = 0; i < RequestRoute::maxGalleryIds + 50; ++i)
        target += QByteArray::number(i + 1) + ',';
    QCOMPARE(RequestRoute::fromTarget(target.toStdString()).ids.size(),
             RequestRoute::maxGalleryIds);
}

void TestServerRoute::baseUrl_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("localAddress");
    QTest::addColumn<QString>("expected");

    QTest::newRow("address and port")
        << QByteArray("127.0.0.1:8642") << QByteArray("127.0.0.1") << "http://127.0.0.1:8642";
    QTest::newRow("name and port")
        << QByteArray("localhost:8642") << QByteArray("127.0.0.1") << "http://localhost:8642";
    QTest::newRow("name alone") << QByteArray("pictures.lan") << QByteArray("127.0.0.1")
                                << "http://pictures.lan";
    QTest::newRow("IPv6 literal") << QByteArray("[::1]:8642") << QByteArray("::1")
                                  << "http://[::1]:8642";
    QTest::newRow("no Host") << QByteArray() << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    QTest::newRow("no Host, IPv6") << QByteArray() << QByteArray("::1") << "http://[::1]:5000";
    QTest::newRow("path in Host") << QByteArray("evil.example/x") << QByteArray("127.0.0.1")
                                  << "http://127.0.0.1:5000";
    QTest::newRow("space in Host")
        << QByteArray("a b") << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    QTest::newRow("line feed in Host")
        << QByteArray("a\nb") << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    QTest::newRow("user info") << QByteArray("user@host") << QByteArray("127.0.0.1")
                               << "http://127.0.0.1:5000";
    QTest::newRow("bad port") << QByteArray("host:80x") << QByteArray("127.0.0.1")
                              << "http://127.0.0.1:5000";
    QTest::newRow("quote") << QByteArray("h\"ost") << QByteArray("127.0.0.1")
                           << "http://127.0.0.1:5000";
    QTest::newRow("unclosed bracket")
        << QByteArray("[::1") << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    // Addresses the widget's QUrl would refuse, so the record could not be followed.
    QTest::newRow("port past 65535")
        << QByteArray("localhost:99999") << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    QTest::newRow("malformed IPv6 literal")
        << QByteArray("[:]:8642") << QByteArray("127.0.0.1") << "http://127.0.0.1:5000";
    QTest::newRow("empty label") << QByteArray("pictures..lan") << QByteArray("127.0.0.1")
                                 << "http://127.0.0.1:5000";
}

void TestServerRoute::baseUrl()
{
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, localAddress);
    QFETCH(QString, expected);
    QCOMPARE(server::baseUrl(host.toStdString(), localAddress.toStdString(), 5000), expected);
}

void TestServerRoute::recordAnswer_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("jpeg") << "Light & Shadow"
                          << "jpg"
                          << QByteArray("http://h:1/picture/77\nhttp://h:1/pictures/77.jpg\n77\n"
                                        "Light & Shadow");
    QTest::newRow("line breaks in the category")
        << "two\nlines\r"
        << "jpg" << QByteArray("http://h:1/picture/77\nhttp://h:1/pictures/77.jpg\n77\ntwo lines ");
}

void TestServerRoute::recordAnswer()
{
    QFETCH(QString, category);
    QFETCH(QString, suffix);
    QFETCH(QByteArray, expected);
    server::Picture picture;
    picture.id = 77;
    picture.category = category;
    picture.suffix = suffix;
    QCOMPARE(server::recordAnswer("http://h:1", &picture), expected);
    QCOMPARE(server::recordAnswer("http://h:1", nullptr), QByteArray("-1"));
}

void TestServerRoute::idsAreStable()
{
    // Saved galleries hold these numbers: a change of the id rule orphans them all.
    QCOMPARE(server::pictureId("Abstract/Drift.jpg"), 1815415690520408ULL);
    QCOMPARE(server::pictureId(QString::fromUtf8("Light & Shadow/Café.png")), 7583846010435061ULL);
    QVERIFY(server::pictureId("Abstract/Drift.jpg", 1) != server::pictureId("Abstract/Drift.jpg"));
    QVERIFY(server::pictureId("Abstract/Drift.jpg") <= server::pictureIdMask);
}

QTEST_APPLESS_MAIN(TestServerRoute)
#include "tst_serverroute.moc"
