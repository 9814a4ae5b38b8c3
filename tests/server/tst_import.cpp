// SPDX-License-Identifier: GPL-3.0-or-later
// The importer against loopback fakes of each kind of source, answering as their
// documentation shows (the files in import/): what arrives, what a second run adds, the
// kept limit, hostile answers, and the real server showing the credits.
#include "FaultServer.h"
#include "Importer.h"
#include "RawHttp.h"
#include "ServerThread.h"
#include "SourcesConf.h"
#include "platform/WholeImage.h"

#include <QBuffer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using server::import::Importer;
using server::import::Source;

namespace {

QStringList messages; // warnings logged while the importer runs
QtMessageHandler defaultHandler = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg)
        messages << message;
    defaultHandler(type, context, message);
}

QByteArray picture(QSize size, const char* format = "JPEG")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

// The picture files of a category, sorted, without their sidecars.
QStringList picturesIn(const QString& folder)
{
    return QDir(folder).entryList({u"*.jpg"_s, u"*.png"_s}, QDir::Files, QDir::Name);
}

QJsonObject sidecar(const QString& path)
{
    QFile file(path + u".json"_s);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void runs_data();
    void runs();
    void keepLimitAndServedCredits();
    void hostile_data();
    void hostile();
    void killAtEachStep_data();
    void killAtEachStep();
    void twoImportersAtOnce();
    void sourcesConf_data();
    void sourcesConf();

private:
    // Serves the documented answer `file` at `path`, with the fake's address put in.
    void serveFile(const QByteArray& path, const QString& file,
                   const QByteArray& type = "application/json",
                   std::chrono::milliseconds delay = {});
    Source source(Source::Kind kind, const QByteArray& path, int perRun = 5, int keep = 200);
    Importer::Options importerOptions() const;
    QProcess* startImport(const QByteArray& killAt = {});

    FaultServer m_fake;
    std::unique_ptr<QTemporaryDir> m_library;
    QByteArray m_jpeg = picture({900, 600});
};

void TestImport::initTestCase()
{
    defaultHandler = qInstallMessageHandler(collect);
}

void TestImport::init()
{
    m_library = std::make_unique<QTemporaryDir>();
    messages.clear();
    // Every picture the answers name: the same whole JPEG, or PNG for the Atom entry.
    for (const QByteArray path :
         {"/iiif/2/2d484387-2509-5e8e-2c43-22f9981972eb/full/843,/0/default.jpg",
          "/iiif/2/25c31d8d-21a4-9ea1-1d73-6a2eca4dda7e/full/843,/0/default.jpg",
          "/iiif/2/3c27b499-af56-f0d5-93b5-a7f2f1ad5813/full/843,/0/default.jpg",
          "/iiif/2/f8fd76e9-c396-5678-36ed-6a348c904d27/full/843,/0/default.jpg",
          "/iiif/2/5e2d7b8e-6bd6-1e7a-ae0a-1c5b7cfcdd1e/full/843,/0/default.jpg", "/met/436535.jpg",
          "/met/437853.jpg", "/met/459123.jpg",
          "/commons/thumb/Lighthouse_at_dusk.jpg/1920px-Lighthouse_at_dusk.jpg",
          "/feed/harbour.jpg", "/feed/bridge.jpg"})
        m_fake.route(path, {.contentType = "image/jpeg", .body = m_jpeg});
    m_fake.route("/feed/morning.png",
                 {.contentType = "image/png", .body = picture({600, 820}, "PNG")});
    serveFile("/api/v1/artworks/search", u"artic-search.json"_s);
    serveFile("/public/collection/v1/search", u"met-search.json"_s);
    for (const QByteArray id : {"436535", "437853", "459123"})
        serveFile("/public/collection/v1/objects/" + id, u"met-object.json"_s);
    serveFile("/w/api.php", u"commons-potd.json"_s);
    serveFile("/rss", u"feed-rss.xml"_s, "application/rss+xml");
    serveFile("/atom", u"feed-atom.xml"_s, "application/atom+xml");
}

void TestImport::serveFile(const QByteArray& path, const QString& file, const QByteArray& type,
                           std::chrono::milliseconds delay)
{
    QFile data(QFINDTESTDATA(u"import/"_s + file));
    QVERIFY(data.open(QIODevice::ReadOnly));
    const QByteArray id = path.mid(path.lastIndexOf('/') + 1); // a Met object's
    m_fake.route(
        path,
        {.contentType = type,
         .headers = {{"ETag", "\"v1\""}},
         .body = data.readAll().replace("@BASE@", m_fake.url("").toEncoded()).replace("@ID@", id),
         .headerDelay = delay});
}

Source TestImport::source(Source::Kind kind, const QByteArray& path, int perRun, int keep)
{
    Source source;
    source.name = u"Fake"_s;
    source.kind = kind;
    source.category = u"Cat"_s;
    source.base = m_fake.url(path);
    source.perRun = perRun;
    source.keep = keep;
    return source;
}

Importer::Options TestImport::importerOptions() const
{
    Importer::Options options;
    options.library = m_library->path();
    options.fetch.pause = {};
    options.maxPictureBytes = 8 << 20; // 64 MiB by default, too long a wait on a busy machine
    return options;
}

void TestImport::runs_data()
{
    QTest::addColumn<Source::Kind>("kind");
    QTest::addColumn<QByteArray>("path"); // of the listing
    // By the first run and the second; a listing read to its end is asked for again with
    // its validator, and then answered "304 Not Modified".
    QTest::addColumn<QList<int>>("imported");
    QTest::addColumn<QJsonObject>("credits"); // of the first picture, by name
    QTest::newRow("Art Institute")
        << Source::Kind::Artic << QByteArray("/api/v1/artworks/search") << QList<int>{3, 2}
        << QJsonObject{{"title", "A Sunday on La Grande Jatte — 1884"},
                       {"creator", "Georges Seurat French, 1859–1891"},
                       {"date", "1884–86"},
                       {"licence", "CC0 1.0"},
                       {"licenceUrl", "https://creativecommons.org/publicdomain/zero/1.0/"},
                       {"source", m_fake.url("/www/artworks/27992").toString()},
                       {"creditLine", "Art Institute of Chicago, Helen Birch Bartlett Memorial "
                                      "Collection"}};
    QTest::newRow("Met")
        << Source::Kind::Met << QByteArray("/public/collection/v1/search") << QList<int>{3, 0}
        << QJsonObject{{"title", "Wheat Field with Cypresses"},
                       {"creator", "Vincent van Gogh"},
                       {"date", "1889"},
                       {"licence", "CC0 1.0"},
                       {"licenceUrl", "https://creativecommons.org/publicdomain/zero/1.0/"},
                       {"source", "https://www.metmuseum.org/art/collection/search/436535"},
                       {"creditLine", "The Metropolitan Museum of Art, Purchase, The Annenberg "
                                      "Foundation Gift, 1993"}};
    QTest::newRow("Commons")
        << Source::Kind::CommonsPotd << QByteArray("/w/api.php") << QList<int>{1, 0}
        << QJsonObject{{"title", "Lighthouse at dusk"},
                       {"creator", "Jane & John Example"},
                       {"date", "2023-06-14 21:02"},
                       {"licence", "CC BY-SA 4.0"},
                       {"licenceUrl", "https://creativecommons.org/licenses/by-sa/4.0"},
                       {"source", "https://commons.wikimedia.org/wiki/File:Lighthouse_at_dusk.jpg"},
                       {"creditLine", "Own work"}};
    QTest::newRow("RSS") << Source::Kind::Feed << QByteArray("/rss") << QList<int>{2, 0}
                         << QJsonObject{
                                {"title", "Harbour in the fog"},
                                {"creator", "Ada Photographer"},
                                {"licence", "CC BY 4.0"},
                                {"licenceUrl", "https://creativecommons.org/licenses/by/4.0/"},
                                {"source", m_fake.url("/posts/harbour").toString()}};
    QTest::newRow("Atom") << Source::Kind::Feed << QByteArray("/atom") << QList<int>{1, 0}
                          << QJsonObject{{"title", "Morning, in ink"},
                                         {"creator", "Clara Sketcher"},
                                         {"source", m_fake.url("/sketch/morning").toString()}};
}

void TestImport::runs()
{
    QFETCH(Source::Kind, kind);
    QFETCH(QByteArray, path);
    QFETCH(QList<int>, imported);
    QFETCH(QJsonObject, credits);
    const Source from = source(kind, kind == Source::Kind::Feed ? path : QByteArray(), 3);
    QList<int> counts;
    QStringList fetched; // the pictures each run asked for
    for (int run = 0; run < 2; ++run) {
        const qsizetype before = m_fake.requests().size();
        if (run == 1 && imported[1] == 0)
            m_fake.route(path, {.status = 304});
        Importer importer(importerOptions());
        const Importer::Outcome outcome = importer.run(from);
        QVERIFY2(outcome.worked, qPrintable(outcome.message));
        counts << outcome.imported;
        for (const FaultServer::Request& request : m_fake.requests().mid(before))
            if (request.path() != path && request.path().contains('.'))
                fetched << QString::fromUtf8(request.path());
    }
    QCOMPARE(counts, imported);
    QCOMPARE(fetched.removeDuplicates(), 0); // a picture once imported is never fetched again
    const QStringList pictures = picturesIn(m_library->filePath(u"Cat"_s));
    QCOMPARE(pictures.size(), imported[0] + imported[1]);
    for (const QString& name : pictures)
        QVERIFY2(!sidecar(m_library->filePath(u"Cat/"_s + name)).isEmpty(), qPrintable(name));
    QStringList sidecars;
    for (const QString& name : pictures)
        sidecars << QString::fromUtf8(
            QJsonDocument(sidecar(m_library->filePath(u"Cat/"_s + name))).toJson());
    QVERIFY2(sidecars.contains(QString::fromUtf8(QJsonDocument(credits).toJson())),
             qPrintable(sidecars.join(u'\n')));
    const auto listings = [&] {
        QByteArrayList validators;
        for (const FaultServer::Request& request : m_fake.requests())
            if (request.path() == path)
                validators << request.header("If-None-Match");
        return validators;
    }();
    QVERIFY(listings.size() >= 2); // the Art Institute's pages after the first too
    QCOMPARE(listings[1], imported[1] == 0 ? "\"v1\"" : "");
    QCOMPARE(m_fake.requests().last().header("User-Agent"), "artcal-server/" ARTCAL_VERSION);
}

void TestImport::keepLimitAndServedCredits()
{
    const QString mine = m_library->filePath(u"Cat/mine.jpg"_s);
    QDir().mkpath(m_library->filePath(u"Cat"_s));
    QFile file(mine);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(m_jpeg) > 0);
    file.close();
    Importer importer(importerOptions());
    QCOMPARE(importer.run(source(Source::Kind::Artic, {}, 3, 2)).imported, 3);
    QCOMPARE(importer.run(source(Source::Kind::Artic, {}, 3, 2)).imported, 2);
    // The two newest imported stay, with the user's picture; sidecars went with theirs.
    const QStringList left = QDir(m_library->filePath(u"Cat"_s)).entryList(QDir::Files, QDir::Name);
    QCOMPARE(left.size(), 5);
    QVERIFY2(left[0].startsWith(u"Paris-Street-Rainy-Day-"_s) && left[1] == left[0] + u".json"_s &&
                 left[2].startsWith(u"Two-Sisters-On-the-Terrace-"_s) &&
                 left[3] == left[2] + u".json"_s && left[4] == u"mine.jpg"_s,
             qPrintable(left.join(u' ')));

    // The real server answers the credits in its record and on the picture's page.
    ServerThread server(m_library->path());
    rawRequest(server.port(), "/calender/queryrandompic.php?category=Cat");
    QByteArray record;
    for (int i = 0; i < 20 && !record.contains("Title: "); ++i) {
        rawRequest(server.port(), "/calender/queryrandompic.php?category=Cat");
        record = bodyOf(rawRequest(server.port(), "/calender/curpic.dat"));
    }
    QVERIFY2(record.contains("\nCreator: ") && record.contains("\nLicence: CC0 1.0"), record);
    const QList<QByteArray> lines = record.split('\n');
    const QByteArray page =
        bodyOf(rawRequest(server.port(), lines[0].mid(lines[0].indexOf("/picture/"))));
    QVERIFY2(page.contains(lines[4].mid(7).replace("&", "&amp;")), page);
}

void TestImport::hostile_data()
{
    // The feed, or with rows named "API: ..." the Art Institute's search answer.
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<int>("status");        // of the picture's answer
    QTest::addColumn<QByteArray>("body");   // the picture's body, or ...
    QTest::addColumn<qint64>("size");       // ... as many generated bytes
    QTest::addColumn<QByteArray>("header"); // sent with the picture's answer
    QTest::addColumn<int>("imported");
    QTest::addColumn<QString>("said");  // in the log or the run's line
    QTest::addColumn<QString>("title"); // of the picture imported, if any
    const QByteArray item =
        "<item><guid>g</guid><enclosure url=\"/img\" type=\"image/jpeg\"/></item>";
    const QByteArray feed = "<rss><channel>" + item + "</channel></rss>";
    const QByteArray huge = "<rss><channel>" + item.repeated(100000) + "</channel></rss>";
    const QByteArray jpeg = m_jpeg;
    const QByteArray none;
    QTest::newRow("API: not JSON") << QByteArray("<html>hi</html>") << 200 << jpeg << -1LL << none
                                   << 0 << u"skipped until the next run: not JSON"_s << QString();
    QTest::newRow("API: JSON of the wrong shape")
        << QByteArray("{\"data\": {\"id\": 1}}") << 200 << jpeg << -1LL << none << 0
        << u"no \"data\" list"_s << QString();
    QTest::newRow("not XML") << QByteArray("{\"not\": \"a feed\"}") << 200 << jpeg << -1LL << none
                             << 0 << u"skipped until the next run: not a feed"_s << QString();
    QTest::newRow("XML, not a feed")
        << QByteArray("<html><body>hi</body></html>") << 200 << jpeg << -1LL << none << 0
        << u"not an RSS or Atom feed"_s << QString();
    QTest::newRow("100,000 items")
        << huge << 200 << jpeg << -1LL << none << 1 << u": 1 new picture in 'Cat'"_s << QString();
    QTest::newRow("2 GB picture") << feed << 200 << none << (2LL << 30) << none << 0
                                  << u"larger than 8388608 bytes"_s << QString();
    QTest::newRow("HTML picture") << feed << 200 << QByteArray("<html>no</html>") << -1LL << none
                                  << 0 << u"not a JPEG or PNG"_s << QString();
    QTest::newRow("cut JPEG") << feed << 200 << jpeg.left(jpeg.size() * 2 / 3) << -1LL << none << 0
                              << u"not a whole picture"_s << QString();
    QTest::newRow("small picture") << feed << 200 << picture({640, 480}) << -1LL << none << 0
                                   << u"only 640×480"_s << QString();
    QTest::newRow("redirect loop") << feed << 302 << none << -1LL << QByteArray("Location:/img")
                                   << 0 << u"more than 5 redirects"_s << QString();
    QTest::newRow("redirect to a file")
        << feed << 302 << none << -1LL << QByteArray("Location:file:///etc/passwd") << 0
        << u"not http or https"_s << QString();
    QTest::newRow("busy for an hour")
        << feed << 429 << none << -1LL << QByteArray("Retry-After:3600") << 0
        << u"asks to wait 3600 s"_s << QString();
    QTest::newRow("title with lines and markup")
        << QByteArray(
               "<rss><channel><item><guid>x</guid><title>One\n<b>two</b> &amp;lt;i&amp;gt;</title>"
               "<enclosure url=\"/img\" type=\"image/jpeg\"/></item></channel></rss>")
        << 200 << jpeg << -1LL << none << 1 << u"1 new picture"_s << u"One two <i>"_s;
}

void TestImport::hostile()
{
    QFETCH(QByteArray, listing);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(qint64, size);
    QFETCH(QByteArray, header);
    QFETCH(int, imported);
    QFETCH(QString, said);
    QFETCH(QString, title);
    const bool api = QByteArray(QTest::currentDataTag()).startsWith("API");
    m_fake.route(api ? "/api/v1/artworks/search" : "/hostile", {.body = listing});
    FaultServer::Answer answer{
        .status = status, .contentType = "image/jpeg", .body = body, .generatedSize = size};
    if (!header.isEmpty())
        answer.headers.append(std::pair{header.split(':')[0], header.mid(header.indexOf(':') + 1)});
    m_fake.route("/img", answer);
    Importer importer(importerOptions());
    const Importer::Outcome outcome = importer.run(api ? source(Source::Kind::Artic, {}, 1)
                                                       : source(Source::Kind::Feed, "/hostile", 1));
    QVERIFY2((messages << outcome.message).join(u'\n').contains(said),
             qPrintable(messages.join(u'\n')));
    const QStringList pictures = picturesIn(m_library->filePath(u"Cat"_s));
    QCOMPARE(pictures.size(), imported);
    QCOMPARE(QDir(m_library->filePath(u".artcal-import/tmp"_s)).entryList(QDir::Files),
             QStringList());
    if (imported)
        QCOMPARE(sidecar(m_library->filePath(u"Cat/"_s + pictures[0]))["title"].toString(), title);
}

QProcess* TestImport::startImport(const QByteArray& killAt)
{
    auto* process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ARTCAL_IMPORT_PAUSE_MS"_s, u"0"_s);
    if (!killAt.isEmpty())
        environment.insert(u"ARTCAL_IMPORT_KILL_AT"_s, QString::fromLatin1(killAt));
    process->setProcessEnvironment(environment);
    const QString sources = m_library->filePath(u"sources.conf"_s);
    QFile file(sources);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[Art]\nkind = artic\ncategory = Cat\nper-run = 3\nbase = " +
                   m_fake.url("").toEncoded()) < 0)
        qWarning("cannot write %s", qPrintable(sources));
    process->start(
        QStringLiteral(ARTCAL_SERVER),
        {u"import"_s, u"--library"_s, m_library->filePath(u"lib"_s), u"--sources"_s, sources});
    return process;
}

void TestImport::killAtEachStep_data()
{
    QTest::addColumn<QByteArray>("step");
    QTest::addColumn<int>("pictures"); // after the next run: the first stays once in place
    for (const char* step : {"downloaded", "sidecar", "pending", "picture"})
        QTest::newRow(step) << QByteArray(step) << 3;
    QTest::newRow("placed") << QByteArray("placed") << 4;
}

// Killed at any step of a picture's arrival, the library shows no partial picture and
// no sidecar without its picture; the next run completes the work.
void TestImport::killAtEachStep()
{
    QFETCH(QByteArray, step);
    QFETCH(int, pictures);
    const QString folder = m_library->filePath(u"lib/Cat"_s);
    for (const QByteArray& killAt : {step, QByteArray()}) {
        QProcess* import = startImport(killAt);
        QTRY_COMPARE_WITH_TIMEOUT(import->state(), QProcess::NotRunning, 120000);
        QCOMPARE(import->exitStatus(),
                 killAt.isEmpty() ? QProcess::NormalExit : QProcess::CrashExit);
        for (const QString& name : QDir(folder).entryList(QDir::Files)) {
            const QString picture = name.endsWith(u".json"_s) ? name.chopped(5) : name;
            QVERIFY2(QFileInfo::exists(folder + u'/' + picture), qPrintable(name));
            QVERIFY2(!platform::WholeImage::read(folder + u'/' + picture).image.isNull(),
                     qPrintable(name));
        }
    }
    QCOMPARE(picturesIn(folder).size(), pictures);
    for (const QString& name : picturesIn(folder))
        QVERIFY(QFileInfo::exists(folder + u'/' + name + u".json"_s));
}

void TestImport::twoImportersAtOnce()
{
    // A slow search keeps the first importer at work while the second starts.
    serveFile("/api/v1/artworks/search", u"artic-search.json"_s, "application/json",
              std::chrono::seconds(3));
    QProcess* first = startImport();
    QProcess* second = startImport();
    QTRY_VERIFY_WITH_TIMEOUT(
        first->state() == QProcess::NotRunning && second->state() == QProcess::NotRunning, 120000);
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
    const QString said =
        QString::fromUtf8(first->readAllStandardOutput() + second->readAllStandardOutput());
    QCOMPARE(said.count(u"another import is running"_s), 1);
    QCOMPARE(said.count(u"Art: 3 new pictures in 'Cat'"_s), 1);
    QCOMPARE(picturesIn(m_library->filePath(u"lib/Cat"_s)).size(), 3);
}

void TestImport::sourcesConf_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("good") << QByteArray("# c\n[A, with comma]\nkind = feed\ncategory = X\nbase = "
                                        "http://h/f?a=1,2\nenabled = no\n")
                          << QString();
    QTest::newRow("no section") << QByteArray("kind = feed\n")
                                << u"line 1: a key before any [section]"_s;
    QTest::newRow("bad kind") << QByteArray("[A]\n\nkind = ftp\n") << u"line 3: kind is artic"_s;
    QTest::newRow("category path") << QByteArray("[A]\ncategory = ../x\n") << u"line 2: category"_s;
    QTest::newRow("file base") << QByteArray("[A]\nbase = file:///etc\n")
                               << u"line 2: base takes"_s;
    QTest::newRow("twice") << QByteArray("[A]\ncategory=a\nbase=http://h\n[A]\n")
                           << u"line 4: a second"_s;
    QTest::newRow("incomplete") << QByteArray("[A]\nkind = met\n[B]\n")
                                << u"line 1: section [A] needs"_s;
}

void TestImport::sourcesConf()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    const auto result = server::import::SourcesConf::parse(text);
    QVERIFY2(problem.isEmpty() ? result.problem.isEmpty() : result.problem.startsWith(problem),
             qPrintable(result.problem));
    if (problem.isEmpty())
        QCOMPARE(result.sources[0].base.toString(), u"http://h/f?a=1,2"_s);
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
