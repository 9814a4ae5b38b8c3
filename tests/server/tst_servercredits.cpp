// SPDX-License-Identifier: GPL-3.0-or-later
// Credits as the real server reads them from pictures tagged by exiftool and from
// sidecars, answers them in the record and shows them on its pages; hostile metadata
// gives fewer credits and one log line, never another record line or markup.
#include "RawHttp.h"
#include "ServerThread.h"
#include "TestLibrary.h"

#include <QProcess>
#include <QTest>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

std::mutex logMutex;
QStringList creditLogs; // the server's lines about credits, from its threads
QtMessageHandler defaultHandler = nullptr;

void collectLogs(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(u"credits of"_s)) {
        std::lock_guard lock(logMutex);
        creditLogs << message;
    }
    defaultHandler(type, context, message);
}

QByteArray get(int port, const QByteArray& target)
{
    const QByteArray answer = rawRequest(port, target);
    return answer.startsWith("HTTP/1.1 200 OK") ? bodyOf(answer) : "failed: " + answer;
}

} // namespace

class TestServerCredits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { defaultHandler = qInstallMessageHandler(collectLogs); }
    void credits_data();
    void credits();
};

void TestServerCredits::credits_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tags");     // exiftool's arguments; "%1" is the library
    QTest::addColumn<QByteArray>("content");   // replaces the picture file when given
    QTest::addColumn<QByteArray>("sidecar");   // "NAME.EXT.json" when given
    QTest::addColumn<QStringList>("lines");    // the record's lines after its four
    QTest::addColumn<QByteArrayList>("shown"); // each on the picture's, home or gallery page
    QTest::addColumn<int>("logs");
    const QString cc = u"https://creativecommons.org/licenses/by-sa/4.0/"_s;
    QTest::newRow("XMP") << "p.jpg" << QStringList{"-XMP-dc:Title=Starry Night",
                                                   "-XMP-dc:Creator=Vincent van Gogh",
                                                   "-XMP-dc:Creator=Studio",
                                                   "-XMP-dc:Date=1889",
                                                   "-XMP-cc:License=" + cc,
                                                   "-XMP-cc:AttributionName=MoMA",
                                                   "-XMP-dc:Rights=(c) no"}
                         << QByteArray() << QByteArray()
                         << QStringList{"Title: Starry Night", "Creator: Vincent van Gogh; Studio",
                                        "Date: 1889",          "Licence: CC BY-SA 4.0",
                                        "LicenceUrl: " + cc,   "Credit: MoMA"}
                         << QByteArrayList{"<figcaption>Starry Night · Vincent van Gogh; Studio<",
                                           "<dd><a href=\"" + cc.toUtf8() +
                                               "\" rel=\"noopener noreferrer\">CC BY-SA 4.0</a>"}
                         << 0;
    QTest::newRow("IPTC only, Latin-1")
        << "p.jpg"
        << QStringList{"-charset",
                       "iptc=Latin",
                       "-IPTC:ObjectName=Café",
                       "-IPTC:By-line=Renoir",
                       "-IPTC:DateCreated=1876:05:01",
                       "-IPTC:CopyrightNotice=Musée d'Orsay"}
        << QByteArray() << QByteArray()
        << QStringList{"Title: Café", "Creator: Renoir", "Date: 1876-05-01",
                       "Credit: Musée d'Orsay"}
        << QByteArrayList{"<title>Café</title>", "<dd>Musée d&#39;Orsay</dd>"} << 0;
    QTest::newRow("EXIF only, Latin-1")
        << "p.jpg"
        << QStringList{"-charset", "exif=Latin", "-EXIF:ImageDescription=Harbour",
                       "-EXIF:Artist=Dürer", "-EXIF:Copyright=(c) Dürer"}
        << QByteArray() << QByteArray()
        << QStringList{"Title: Harbour", "Creator: Dürer", "Credit: (c) Dürer"}
        << QByteArrayList{"<figcaption>Harbour · Dürer<"} << 0;
    QTest::newRow("sidecar over XMP")
        << "p.png"
        << QStringList{"-XMP-dc:Title=Old", "-XMP-xmpRights:UsageTerms=Public domain",
                       "-XMP-xmpRights:WebStatement=https://example.org/terms"}
        << QByteArray() << QByteArray(R"({"title": "New", "creator": "Ada", "date": 1901,
                          "source": "https://example.org/a?b=1&c=2"})")
        << QStringList{"Title: New",
                       "Creator: Ada",
                       "Date: 1901",
                       "Licence: Public domain",
                       "LicenceUrl: https://example.org/terms",
                       "Source: https://example.org/a?b=1&c=2"}
        << QByteArrayList{"<a href=\"https://example.org/a?b=1&amp;c=2\"",
                          ">Public domain</a></dd>"}
        << 0;
    QTest::newRow("none") << "p.jpg" << QStringList() << QByteArray() << QByteArray()
                          << QStringList() << QByteArrayList{"<title>p</title>"} << 0;
    QTest::newRow("markup and line breaks")
        << "p.jpg" << QStringList{"-XMP-dc:Title=<b>Bold</b>\nTitle: forged\r\u2028x"}
        << QByteArray() << QByteArray(R"j({"source": "javascript:alert(1)"})j")
        << QStringList{"Title: <b>Bold</b> Title: forged  x", "Source: javascript:alert(1)"}
        << QByteArrayList{"&lt;b&gt;Bold&lt;/b&gt; Title: forged", "<dd>javascript:alert(1)</dd>"}
        << 0;
    QByteArray big = R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF
        xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description
        xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title><rdf:Alt><rdf:li
        xml:lang="x-default">%1</rdf:li></rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>)";
    QTest::newRow("10 MB packet") << "p.png" << QStringList{"-xmp<=%1/packet.xmp"}
                                  << big.replace("%1", QByteArray(10 << 20, 'a'))
                                  << QByteArray(R"({"title": "Kept"})")
                                  << QStringList{"Title: Kept"}
                                  << QByteArrayList{"<title>Kept</title>"} << 1;
    QTest::newRow("malformed XMP")
        << "p.jpg" << QStringList{"-xmp<=%1/packet.xmp"} << big.left(400) << QByteArray()
        << QStringList() << QByteArrayList{"<title>p</title>"} << 1;
    QTest::newRow("truncated file, binary sidecar")
        << "p.jpg" << QStringList() << QByteArray("\xFF\xD8\xFF\xE1\x00\x10junk", 10)
        << QByteArray("\x89PNG\r\n\x1A\n\xFF\x00", 10) << QStringList()
        << QByteArrayList{"<title>p</title>"} << 1;
    QTest::newRow("sidecar over 64 KB")
        << "p.jpg" << QStringList{"-EXIF:Artist=Ann"} << QByteArray()
        << R"({"title": ")" + QByteArray(70000, 'x') + "\"}" << QStringList{"Creator: Ann"}
        << QByteArrayList{"<figcaption>p · Ann<"} << 1;
}

void TestServerCredits::credits()
{
    QFETCH(QString, file);
    QFETCH(QStringList, tags);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, sidecar);
    QFETCH(QStringList, lines);
    QFETCH(QByteArrayList, shown);
    QFETCH(int, logs);
    TestLibrary library;
    QFile picture(library.addPicture(u"C"_s, file));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile out(path);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    if (!tags.isEmpty()) {
        QVERIFY(content.isEmpty() || write(library.path() + u"/packet.xmp"_s, content));
        QProcess exiftool;
        exiftool.start(u"exiftool"_s, QStringList{u"-q"_s, u"-overwrite_original"_s} +
                                          tags.replaceInStrings(u"%1"_s, library.path()) +
                                          QStringList{picture.fileName()});
        QVERIFY2(exiftool.waitForFinished(60000) && exiftool.exitCode() == 0,
                 exiftool.readAllStandardError().constData());
    } else if (!content.isEmpty()) {
        QVERIFY(write(picture.fileName(), content));
    }
    QVERIFY(sidecar.isNull() || write(picture.fileName() + u".json"_s, sidecar));
    creditLogs.clear();
    ServerThread server(library.path());
    const int port = server.port();
    get(port, "/calender/queryrandompic.php?category=C");
    const QStringList record = QString::fromUtf8(get(port, "/calender/curpic.dat")).split(u'\n');
    QCOMPARE(record.mid(3, 1), QStringList{u"C"_s});
    QCOMPARE(record.mid(4), lines);
    const QByteArray pages = get(port, record[0].mid(record[0].indexOf(u"/picture/"_s)).toUtf8()) +
                             get(port, "/") +
                             get(port, "/calender/mygallery.php?mygallery=" + record[2].toUtf8());
    for (const QByteArray& text : shown)
        QVERIFY2(pages.contains(text), text.constData());
    QVERIFY(!pages.contains("failed: ") && !pages.contains("<b>"));
    std::lock_guard lock(logMutex);
    QCOMPARE(creditLogs.size(), logs);
}

QTEST_GUILESS_MAIN(TestServerCredits)
#include "tst_servercredits.moc"
