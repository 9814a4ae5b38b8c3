// The picture cycle without a window: a view that records what it is shown, a real
// Http, and a loopback server that answers well or badly.
#include "FaultServer.h"
#include "StateDir.h"
#include "picture/PictureCycle.h"
#include "platform/Http.h"
#include "state/TextLines.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;
using Badge = PictureView::Badge;

namespace {
QByteArray jpeg(const QColor& colour, QSize size = {320, 240})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return buffer.data();
}

bool isColour(const QImage& picture, const QColor& colour)
{
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    return qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
               qAbs(c.blue() - colour.blue()) <
           48;
}

struct RecordingView : PictureView
{
    Choices current;
    bool busy = false;
    bool refreshEnabled = true;
    QList<qreal> progress;
    QImage picture;
    std::optional<PictureRecord> record;
    Badge badge = Badge::Hidden;

    Choices choices() const override { return current; }
    QSize pictureSize() const override { return {188, 144}; }
    void showBusy(bool b) override { busy = b; }
    void showProgress(qreal fraction) override { progress << fraction; }
    void showPicture(const QImage& p, const std::optional<PictureRecord>& r) override
    {
        picture = p;
        record = r;
    }
    void setBadge(Badge b) override { badge = b; }
    void enableRefresh(bool enabled) override { refreshEnabled = enabled; }
};

const QByteArray oldRecord = "old-page\r\nold-picture\r\n1\r\nOld\r\n";
const QString goodAnswer = "{base}/picture/9\n{base}/pic.jpg\n9\nPatterns";

// A cycle over a state folder that holds a red picture and its record.
struct Rig : StateDir
{
    FaultServer server;
    platform::Http http;
    RecordingView view;
    QString base = server.url("/").toString().chopped(1);
    std::unique_ptr<PictureCycle> cycle;

    explicit Rig(bool withPicture = true, const PictureView::Choices& choices = {1, 5, 0, "All"})
    {
        view.current = choices;
        if (withPicture) {
            write("image.jpg", jpeg(Qt::red, {640, 480}));
            write("image.jpg.dat", oldRecord);
        }
        server.route("/calender/queryrandompic.php", {.body = "<html>picked</html>"});
        http.setDeadline(700ms);
        cycle = std::make_unique<PictureCycle>(dir.path(), base, http, view);
        cycle->showStoredPicture();
        cycle->start();
    }
    QByteArray answer(const QString& fields) const
    {
        return QString(fields).replace("{base}", base).toUtf8();
    }
    void refresh()
    {
        QSignalSpy ended(cycle.get(), &PictureCycle::ended);
        cycle->refreshNow();
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 20000);
    }
    int requests(const QByteArray& path) const
    {
        return int(std::count_if(server.requests().begin(), server.requests().end(),
                                 [&](const FaultServer::Request& r) { return r.path() == path; }));
    }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList({"*.download"}, QDir::Files);
    }
    // After every refresh: armed for the next interval, button and busy label free, no
    // partial download left.
    void verifyCycleGoesOn() const
    {
        QVERIFY(cycle->Timer2.isActive());
        QCOMPARE(cycle->Timer2.tag(), QString("180"));
        QVERIFY(view.refreshEnabled && !view.busy);
        QCOMPARE(leftovers(), QStringList());
    }
};
} // namespace

class TestPictureCycle : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules("artcal.*.warning=false\nartcal.*.info=false");
    }

    // One refresh against a server that answers the record request and the picture in
    // many ways: only a whole, decodable picture replaces the red one, with its record.
    void install_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("picture"); // how /pic.jpg answers
        QTest::addColumn<bool>("installed");
        const QString good = goodAnswer;
        QTest::newRow("good") << 200 << good << "good" << true;
        QTest::newRow("CR LF lines") << 200 << QString(good).replace("\n", "\r\n") + "\r\n"
                                     << "good" << true;
        QTest::newRow("longer than read")
            << 200 << good + "\n" + QString(1500, 'z') << "good" << true;
        QTest::newRow("spaces around") << 200 << "   " + good + "   "
                                       << "good" << true;
        QTest::newRow("nothing offered") << 200 << "-1"
                                         << "good" << false;
        QTest::newRow("error page") << 404 << "<html><h1>Not Found</h1></html>"
                                    << "good" << false;
        QTest::newRow("empty answer") << 200 << ""
                                      << "good" << false;
        QTest::newRow("answer too late") << 200 << good << "late" << false;
        QTest::newRow("reset mid-picture") << 200 << good << "reset" << false;
        QTest::newRow("truncated picture") << 200 << good << "truncated" << false;
        QTest::newRow("not an image") << 200 << good << "text" << false;
        QTest::newRow("picture 404") << 200 << good << "missing" << false;
        QTest::newRow("picture over 64 MiB") << 200 << good << "huge" << false;
        QTest::newRow("file: picture") << 200 << "{base}/p\nfile:///etc/passwd\n1\nx"
                                       << "good" << false;
    }
    void install()
    {
        QFETCH(int, status);
        QFETCH(QString, answer);
        QFETCH(QString, picture);
        QFETCH(bool, installed);
        Rig rig;
        rig.cycle->DownloadRetried = true; // one fetch per row
        rig.server.route("/calender/curpic.dat", {.status = status,
                                                  .body = rig.answer(answer),
                                                  .headerDelay = picture == "late" ? 2s : 0s});
        const QByteArray green = jpeg(Qt::green);
        FaultServer::Answer pic{.contentType = "image/jpeg", .body = green};
        if (picture == "reset")
            pic.stopAfter = green.size() / 2, pic.ending = FaultServer::Answer::Ending::Reset;
        else if (picture == "truncated")
            pic.claimedLength = green.size() * 2;
        else if (picture == "text")
            pic.contentType = "text/html", pic.body = "<html>an error page with status 200</html>";
        else if (picture == "missing")
            pic.status = 404;
        else if (picture == "huge")
            pic.body.clear(), pic.generatedSize = PictureInstall::maxPictureBytes + 1;
        rig.server.route("/pic.jpg", pic);

        rig.refresh();

        rig.verifyCycleGoesOn();
        const QStringList fields = QString::fromUtf8(rig.answer(goodAnswer)).split('\n');
        QCOMPARE(rig.read("image.jpg"), installed ? green : jpeg(Qt::red, {640, 480}));
        QCOMPARE(rig.read("image.jpg.dat"),
                 installed ? (fields.join("\r\n") + "\r\n").toUtf8() : oldRecord);
        QCOMPARE(rig.view.record->toLines(),
                 installed ? fields : QStringList({"old-page", "old-picture", "1", "Old"}));
        QVERIFY(isColour(rig.view.picture, installed ? Qt::green : Qt::red));
        QCOMPARE(rig.view.badge, Badge::Hidden);
    }

    // Start-up arms the countdown from the interval; only the placeholder fetches at
    // once. The badge covers "Add to My Gallery" where saving makes no sense.
    void start_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("countdown");
        QTest::addColumn<Badge>("badge");
        QTest::newRow("5 minutes") << true << 0 << 0 << "60" << Badge::Hidden;
        QTest::newRow("1 hour") << true << 3 << 2 << "720" << Badge::Hidden;
        QTest::newRow("manual: the first tick fetches") << true << 4 << 0 << "0" << Badge::Hidden;
        QTest::newRow("no interval chosen") << true << -1 << 0 << "0" << Badge::Hidden;
        QTest::newRow("My Gallery") << true << 1 << 1 << "180" << Badge::Cover;
        QTest::newRow("placeholder") << false << 3 << 0 << "0" << Badge::Cover;
    }
    void start()
    {
        QFETCH(bool, picture);
        QFETCH(int, interval);
        QFETCH(int, source);
        QFETCH(QString, countdown);
        QFETCH(Badge, badge);
        Rig rig(picture, {interval, 5, source, "A"});
        QCOMPARE(rig.cycle->Timer2.tag(), countdown);
        QVERIFY(rig.cycle->Timer2.isActive());
        QCOMPARE(rig.view.badge, badge);
        QCOMPARE(rig.cycle->DefaultPictureShown, !picture);
        QCOMPARE(rig.view.record.has_value(), picture);
        // A big picture is decoded straight to the size it is shown at.
        QVERIFY(picture ? rig.view.picture.size() == rig.view.pictureSize()
                        : rig.view.picture.isNull());
    }

    // The timer counts down and fetches when it reaches zero, then counts anew; a
    // failed install is tried once more per run, whatever the interval.
    void timedRefreshRetriesOncePerRun()
    {
        Rig rig;
        rig.server.route("/calender/curpic.dat",
                         {.body = rig.answer("{base}/p\n{base}/pic.jpg\n9\nx")});
        rig.server.route("/pic.jpg", {.status = 404});
        for (int i = 0; i < 179; ++i)
            rig.cycle->Timer2_Timer();
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 0);
        QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
        rig.cycle->Timer2_Timer();
        QVERIFY(rig.view.busy && !rig.cycle->Timer2.isActive());
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QCOMPARE(rig.requests("/pic.jpg"), 2);
        rig.verifyCycleGoesOn();
        rig.refresh();
        QCOMPARE(rig.requests("/pic.jpg"), 3);
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 3);
    }

    // A category is asked for by its name, percent-encoded so that the server receives
    // exactly that name.
    void categoryQuery_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("outer spaces dropped")
            << "  Light & Shadow " << QByteArray("?category=Light%20%26%20Shadow");
        QTest::newRow("plus stays a plus") << "C++" << QByteArray("?category=C%2B%2B");
        QTest::newRow("non-ASCII as UTF-8") << "Lumière" << QByteArray("?category=Lumi%C3%A8re");
    }
    void categoryQuery()
    {
        QFETCH(QString, category);
        QFETCH(QByteArray, target);
        Rig rig(true, {1, 5, 2, category});
        rig.server.route("/calender/curpic.dat", {.body = "-1"});
        rig.refresh();
        QCOMPARE(rig.server.requests().first().target, "/calender/queryrandompic.php" + target);
        QCOMPARE(rig.cycle->CategoryQuery, QString());
    }

    // My Gallery as the source: a saved record is installed without asking the server
    // for a pick; hidden and other files are no gallery files; an empty gallery ends
    // the refresh without a picture.
    void gallerySource()
    {
        Rig rig(true, {1, 5, 1, "My Gallery"});
        rig.refresh();
        rig.verifyCycleGoesOn();
        QCOMPARE(rig.read("image.jpg.dat"), oldRecord);
        const QStringList saved = {rig.base + "/picture/4", rig.base + "/g.jpg", "4", "Saved"};
        QVERIFY(TextLines::write(rig.path("MyGallery/g.jpg.data"), saved));
        rig.write("MyGallery/.hidden.data", rig.answer("x\r\n{base}/h.jpg\r\n"));
        rig.write("MyGallery/notes.txt", "not a gallery file");
        rig.server.route("/g.jpg", {.contentType = "image/jpeg", .body = jpeg(Qt::blue)});
        rig.refresh();
        QCOMPARE(*TextLines::read(rig.path("image.jpg.dat")), saved);
        QVERIFY(isColour(rig.view.picture, Qt::blue));
        QCOMPARE(rig.view.badge, Badge::MyGallery);
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 0);
        QCOMPARE(rig.server.requests().size(), 1);
    }

    // A slow picture shows how far it has come, and ending the cycle mid-transfer
    // leaves the old picture and no partial file.
    void slowDownload()
    {
        Rig rig;
        rig.http.setDeadline(20s);
        const QByteArray picture = jpeg(Qt::green, {800, 600});
        rig.server.route("/calender/curpic.dat",
                         {.body = rig.answer("{base}/p\n{base}/slow.jpg\n9\nx")});
        rig.server.route("/slow.jpg", {.contentType = "image/jpeg",
                                       .body = picture,
                                       .pieceSize = picture.size() / 40,
                                       .pieceDelay = 50ms});
        rig.cycle->refreshNow();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.view.progress.isEmpty() && rig.view.progress.last() > 0,
                                 5000);
        QVERIFY(rig.view.progress.last() < 1);
        QCOMPARE(rig.leftovers().size(), 1);
        rig.cycle.reset();
        QCOMPARE(rig.leftovers(), QStringList());
        QCOMPARE(rig.read("image.jpg"), jpeg(Qt::red, {640, 480}));
        QCOMPARE(rig.read("image.jpg.dat"), oldRecord);
    }
};

QTEST_GUILESS_MAIN(TestPictureCycle)
#include "tst_picturecycle.moc"
