// SPDX-License-Identifier: GPL-3.0-or-later
// The picture cycle without a window: a view that records what it is shown, a real
// Http, and a loopback server that answers well or badly.
#include "FaultServer.h"
#include "FixedClock.h"
#include "PictureCycleProbe.h"
#include "PictureSamples.h"
#include "StateDir.h"
#include "picture/PictureCycle.h"
#include "platform/Http.h"
#include "platform/ImageStructure.h"
#include "state/TextLines.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <sys/stat.h>

using namespace std::chrono_literals;
using Badge = PictureView::Badge;

namespace {
QByteArray jpeg(const QColor& colour, QSize size = {320, 240})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixelColor(0, 0, Qt::white); // some detail, so the scans hold more than one run
    return PictureSamples::encoded(image, "JPEG");
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
    void showStatus(const QString& text) override { status = text; }
    QString status;
};

const QByteArray oldRecord = "old-page\r\nold-picture\r\n1\r\nOld\r\n";
const QString goodAnswer = "{base}/picture/9\n{base}/pic.jpg\n9\nPatterns";

// A cycle over a state folder that holds a red picture and its record, on a clock
// that moves only when the test moves it.
struct Rig : StateDir
{
    FixedClock clock;
    FaultServer server;
    platform::Http http;
    RecordingView view;
    QString base = server.url("/").toString().chopped(1);
    std::unique_ptr<PictureCycle> cycle;

    explicit Rig(bool withPicture = true, const PictureView::Choices& choices = {1, 5, 0, "All"},
                 const std::function<void(Rig&)>& before = {})
    {
        platform::setClock(&clock);
        view.current = choices;
        if (withPicture) {
            write("image.jpg", jpeg(Qt::red, {640, 480}));
            write("image.jpg.dat", oldRecord);
        }
        server.route("/calender/queryrandompic.php", {.body = "<html>picked</html>"});
        http.setDeadline(700ms);
        if (before)
            before(*this);
        cycle = std::make_unique<PictureCycle>(dir.path(), base, http, view);
        cycle->showStoredPicture();
        cycle->start();
    }
    ~Rig() { platform::setClock(nullptr); }
    TagTimer& timer() const { return PictureCycleProbe::refreshTimer(*cycle); }
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
    // After every refresh: armed again (the interval, or 30 s after a failure), button
    // and busy label free, no partial download left.
    void verifyCycleGoesOn(const QString& countdown = "180") const
    {
        QVERIFY(timer().isActive());
        QCOMPARE(timer().tag(), countdown);
        QVERIFY(view.refreshEnabled && !view.busy);
        QCOMPARE(leftovers(), QStringList());
    }
};
} // namespace

class TestPictureCycle : public QObject
{
    Q_OBJECT
private slots:
    // Quiet logs, Qt's image categories too: no rule may let a damaged picture through.
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(
            "artcal.*.warning=false\nartcal.*.info=false\nqt.gui.imageio*=false");
    }

    // One refresh against a server that answers the record request and the picture in
    // many ways: only a whole, decodable picture replaces the red one, with its record and
    // credits; the picture's tooltip says what it is and where it came from, or why none came.
    void install_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("picture"); // how /pic.jpg answers
        QTest::addColumn<QString>("said");    // the tooltip's start once installed, else a part
        const auto row = [](const char* name, const QString& answer, const QString& picture,
                            const QString& said, int status = 200) {
            QTest::newRow(name) << status << answer << picture << said;
        };
        const QString good = goodAnswer;
        const QString category = "Category: Patterns";
        row("good", good, "good", category + "\nFrom {base}");
        row("CR LF lines", QString(good).replace("\n", "\r\n") + "\r\n", "good", category);
        row("credits in any order",
            good + "\nLicence: CC0 1.0\nOther: x\nDate: 1872\nTitle: Sun\r\nCreator: Monet\n",
            "good", "Sun — Monet (1872)\nCC0 1.0\n" + category);
        // Read up to 4 KB: the line the limit cuts is dropped, whatever it was.
        row("longer than read", good + "\nDate: 1872\nTitle: Sun\nCreator: " + QString(5000, 'z'),
            "good", "Sun (1872)\n" + category);
        row("spaces around", "   " + good + "   ", "good", category);
        row("bytes after the picture's end", good, "trailer", category);
        row("nothing offered", "-1", "good", "has no picture to offer");
        row("error page", "<html><h1>Not Found</h1></html>", "good",
            "answered with HTTP status 404", 404);
        row("empty answer", "", "good", "No usable picture record");
        row("answer too late", good, "late", "not reachable");
        row("reset mid-picture", good, "reset", "could not be downloaded");
        row("truncated picture", good, "truncated", "not be downloaded");
        row("cut JPEG, length to match", good, "cut", "arrived incomplete or damaged");
        row("not an image", good, "text", "incomplete or damaged");
        row("picture 404", good, "missing", "HTTP status 404");
        row("picture over 64 MiB", good, "huge", "over the limit");
        row("file: picture", "{base}/p\nfile:///etc/passwd\n1\nx", "good",
            "No usable picture record");
        for (const QString& name : PictureSamples::files().keys())
            row(qPrintable(name), good, name,
                name.startsWith("whole") ? category : "arrived incomplete or damaged");
    }
    void install()
    {
        QFETCH(int, status);
        QFETCH(QString, answer);
        QFETCH(QString, picture);
        QFETCH(QString, said);
        const bool installed = said.contains("Patterns");
        Rig rig;
        PictureCycleProbe::downloadRetried(*rig.cycle) = true; // one fetch per row
        rig.server.route("/calender/curpic.dat", {.status = status,
                                                  .body = rig.answer(answer),
                                                  .headerDelay = picture == "late" ? 2s : 0s});
        const QByteArray green = jpeg(Qt::green);
        FaultServer::Answer pic{.contentType = "image/jpeg", .body = green};
        if (picture == "reset")
            pic.stopAfter = green.size() / 2, pic.ending = FaultServer::Answer::Ending::Reset;
        else if (picture == "truncated")
            pic.claimedLength = green.size() * 2;
        else if (picture == "cut")
            pic.body = green.left(green.size() * 2 / 3);
        else if (picture == "trailer")
            pic.body = green + "trailing bytes";
        else if (picture == "text")
            pic.contentType = "text/html", pic.body = "<html>an error page with status 200</html>";
        else if (picture == "missing")
            pic.status = 404;
        else if (picture == "huge")
            pic.body.clear(), pic.generatedSize = PictureInstall::maxPictureBytes + 1;
        else if (PictureSamples::files().contains(picture))
            pic.body = PictureSamples::files().value(picture);
        rig.server.route("/pic.jpg", pic);

        rig.refresh();

        // The picture is fetched at the size it is shown at; the record keeps its address.
        for (const FaultServer::Request& request : rig.server.requests()) {
            if (request.path() == "/pic.jpg")
                QCOMPARE(request.target, "/pic.jpg?w=188&h=144");
        }
        rig.verifyCycleGoesOn(installed || answer == "-1" ? "180" : "6");
        const QStringList fields = QString::fromUtf8(rig.answer(goodAnswer)).split('\n');
        QCOMPARE(rig.read("image.jpg"), installed ? pic.body : jpeg(Qt::red, {640, 480}));
        QCOMPARE(rig.read("image.jpg.dat"),
                 installed ? (rig.view.record->toLines().join("\r\n") + "\r\n").toUtf8()
                           : oldRecord);
        QCOMPARE(rig.view.record->toLines().mid(0, 4),
                 installed ? fields : QStringList({"old-page", "old-picture", "1", "Old"}));
        QVERIFY(isColour(rig.view.picture, installed ? Qt::green : Qt::red));
        QCOMPARE(rig.view.badge, Badge::Hidden);
        QVERIFY2(installed ? rig.view.status.startsWith(rig.answer(said))
                           : rig.view.status.contains(rig.answer(said)),
                 qPrintable(rig.view.status));
        QCOMPARE(rig.view.status.contains("Next try at 12:00."), !installed && answer != "-1");
    }

    // Start-up arms the countdown from the interval; only the placeholder, or a picture
    // older than the interval, fetches at once. The badge covers "Add to My Gallery"
    // where saving makes no sense. A pipe in place of a picture blocks nothing; a
    // stored picture that does not decode counts as none.
    void start_data()
    {
        QTest::addColumn<QString>("picture"); // "new", "old" (2 hours), "none", "fifo FILE", "bad"
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("countdown");
        QTest::addColumn<Badge>("badge");
        QTest::newRow("5 minutes") << "new" << 0 << 0 << "60" << Badge::Hidden;
        QTest::newRow("1 hour") << "new" << 3 << 2 << "720" << Badge::Hidden;
        QTest::newRow("1 hour, picture of 2 hours") << "old" << 3 << 2 << "0" << Badge::Hidden;
        QTest::newRow("manual: the first tick fetches") << "old" << 4 << 0 << "0" << Badge::Hidden;
        QTest::newRow("no interval chosen") << "new" << -1 << 0 << "0" << Badge::Hidden;
        QTest::newRow("My Gallery") << "new" << 1 << 1 << "180" << Badge::Cover;
        QTest::newRow("placeholder") << "none" << 3 << 0 << "0" << Badge::Cover;
        QTest::newRow("placeholder is a pipe")
            << "fifo default.jpg" << 3 << 0 << "0" << Badge::Cover;
        QTest::newRow("picture is a pipe") << "fifo image.jpg" << 3 << 0 << "0" << Badge::Cover;
        QTest::newRow("picture does not decode") << "bad" << 3 << 0 << "0" << Badge::Cover;
    }
    void start()
    {
        QFETCH(QString, picture);
        QFETCH(int, interval);
        QFETCH(int, source);
        QFETCH(QString, countdown);
        QFETCH(Badge, badge);
        const bool stored = picture == "new" || picture == "old";
        Rig rig(stored || picture == "bad", {interval, 5, source, "A"}, [&](Rig& r) {
            QFile file(r.path("image.jpg"));
            if (picture == "bad")
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a picture"));
            else if (picture == "old")
                QVERIFY(file.open(QIODevice::ReadWrite) &&
                        file.setFileTime(r.clock.time.addSecs(-7200),
                                         QFileDevice::FileModificationTime));
            else if (picture.startsWith("fifo")) // in place of the file named
                QCOMPARE(mkfifo(qPrintable(r.path(picture.section(' ', 1))), 0600), 0);
        });
        QCOMPARE(rig.timer().tag(), countdown);
        QVERIFY(rig.timer().isActive());
        QCOMPARE(rig.view.badge, badge);
        QCOMPARE(PictureCycleProbe::placeholderShown(*rig.cycle), !stored);
        QCOMPARE(rig.view.record.has_value(), stored);
        QCOMPARE(rig.view.status.startsWith("No picture yet"), !stored);
        // A big picture is decoded straight to the size it is shown at.
        QVERIFY(stored ? rig.view.picture.size() == rig.view.pictureSize()
                       : rig.view.picture.isNull());
    }

    // A category is asked for by its name, percent-encoded so that the server receives
    // exactly that name; when it has no picture, the status names the category.
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
        QCOMPARE(PictureCycleProbe::categoryQuery(*rig.cycle), QString());
        QVERIFY2(rig.view.status.contains("has no picture in " + category.trimmed()),
                 qPrintable(rig.view.status));
    }

    // My Gallery as the source: a saved record, its credits too, is installed without
    // asking the server for a pick; hidden and other files are no gallery files; an empty
    // gallery ends the refresh without a picture.
    void gallerySource()
    {
        Rig rig(true, {1, 5, 1, "My Gallery"});
        rig.refresh();
        rig.verifyCycleGoesOn();
        QCOMPARE(rig.read("image.jpg.dat"), oldRecord);
        const QStringList saved = {rig.base + "/picture/4", rig.base + "/g.jpg", "4", "Saved",
                                   "Title: Kept",           "Licence: CC0 1.0"};
        QVERIFY(TextLines::write(rig.path("MyGallery/g.jpg.data"), saved));
        rig.write("MyGallery/.hidden.data", rig.answer("x\r\n{base}/h.jpg\r\n"));
        rig.write("MyGallery/notes.txt", "not a gallery file");
        const QByteArray blue = jpeg(Qt::blue);
        rig.http.setDeadline(20s);
        rig.server.route("/g.jpg", {.contentType = "image/jpeg",
                                    .body = blue,
                                    .pieceSize = blue.size() / 40,
                                    .pieceDelay = 50ms});
        QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
        rig.cycle->refreshNow();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.view.progress.isEmpty() && rig.view.progress.last() < 1,
                                 10000);
        QVERIFY(!rig.view.refreshEnabled);
        rig.cycle->refreshNow(); // F5 or the menu, as the disabled button: nothing
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 10000);
        QCOMPARE(rig.requests("/g.jpg"), 1);
        QCOMPARE(*TextLines::read(rig.path("image.jpg.dat")), saved);
        QVERIFY(isColour(rig.view.picture, Qt::blue));
        QCOMPARE(rig.view.badge, Badge::MyGallery);
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 0);
        QCOMPARE(rig.server.requests().size(), 1);
    }

    // A saved picture that its server no longer has is passed over, named in the status,
    // and another comes instead; with none left the refresh ends without one.
    void galleryPictureGone_data()
    {
        QTest::addColumn<bool>("oneLeft");
        QTest::newRow("one left") << true;
        QTest::newRow("none left") << false;
    }
    void galleryPictureGone()
    {
        QFETCH(bool, oneLeft);
        Rig rig(true, {1, 5, 1, "My Gallery"});
        const QStringList saved = {"gone-a", "gone-b", oneLeft ? "c" : "gone-c"};
        for (const QString& name : saved)
            rig.write("MyGallery/" + name + ".data",
                      rig.answer("{base}/p\n{base}/" + name + ".jpg\n1\nx\nTitle: " + name));
        rig.server.route("/c.jpg", {.contentType = "image/jpeg", .body = jpeg(Qt::blue)});
        rig.refresh();
        rig.verifyCycleGoesOn();
        QVERIFY(isColour(rig.view.picture, oneLeft ? Qt::blue : Qt::red));
        for (const QString& name : saved) {
            const int asked = rig.requests("/" + name.toUtf8() + ".jpg");
            QVERIFY(asked == 1 || (oneLeft && asked == 0));
            QCOMPARE(rig.view.status.contains("Saved picture " + name +
                                              " is no longer on the picture server: skipped"),
                     name.startsWith("gone") && asked == 1);
        }
        QCOMPARE(
            rig.view.status.contains("No picture saved in My Gallery is on the picture server"),
            !oneLeft);
    }

    // Every way a random pick can end leaves the cycle going: busy label hidden, button
    // free, countdown armed (30 s after a failure; at once when the choices changed).
    void pickEndings_data()
    {
        QTest::addColumn<QString>("pick"); // how the random pick answers
        QTest::addColumn<QString>("countdown");
        QTest::addColumn<QString>("said");
        const auto row = [](const char* name, const char* pick, const char* countdown,
                            const char* said) {
            QTest::newRow(name) << QString(pick) << QString(countdown) << QString(said);
        };
        row("completed", "ok", "180", "Category: x");
        row("redirected within the host", "/moved", "180", "Category: x");
        row("redirected to another host", "http://localhost:1/", "6",
            "refused a redirect to http://localhost:1/");
        row("redirected without end", "/calender/queryrandompic.php", "6", "too many redirects");
        row("redirected to a file", "file:///etc/passwd", "6", "refused");
        row("timed out", "late", "6", "not reachable: no complete answer");
        row("server down", "down", "6", "not reachable: connection refused");
        row("choices changed meanwhile", "changed", "0", "");
        row("a newer refresh", "clicked", "180", "Category: x");
    }
    void pickEndings()
    {
        QFETCH(QString, pick);
        QFETCH(QString, countdown);
        QFETCH(QString, said);
        Rig rig(true, {1, 5, 2, "Cats"}, [&](Rig& r) {
            QTcpServer closed; // a port where nothing listens once it closes
            if (pick == "down" && closed.listen(QHostAddress::LocalHost))
                r.base = "http://127.0.0.1:" + QString::number(closed.serverPort());
        });
        PictureCycleProbe::downloadRetried(*rig.cycle) = true;
        rig.server.route("/calender/curpic.dat",
                         {.body = rig.answer("{base}/p\n{base}/pic.jpg\n9\nx")});
        rig.server.route("/pic.jpg", {.contentType = "image/jpeg", .body = jpeg(Qt::green)});
        rig.server.route("/moved", {.body = "moved here"});
        FaultServer::Answer answer{.body = "picked", .headerDelay = 400ms};
        if (pick == "late")
            answer.headerDelay = 2s;
        else if (pick.contains('/'))
            answer = {.status = 302, .headers = {{"Location", pick.toUtf8()}}};
        rig.server.route("/calender/queryrandompic.php", answer);
        QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
        rig.cycle->refreshNow();
        if (pick == "changed") {
            rig.view.current.source = 0;
            rig.cycle->applyChoices();
        } else if (pick == "clicked") {
            rig.cycle->refreshNow();
        }
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QTest::qWait(300); // an earlier pick ending late ends nothing more
        QCOMPARE(ended.size(), 1);
        rig.verifyCycleGoesOn(countdown);
        QVERIFY2(rig.view.status.contains(rig.answer(said)), qPrintable(rig.view.status));
    }

    // A failed refresh is tried again at once, once per run, then after 30 s, 1, 2, 4 ...
    // minutes, never later than the interval; with "Manual Update" only a click tries
    // again. A server that comes up gives a picture at the next try; then the interval
    // counts as before.
    void failuresBackOff()
    {
        Rig rig(false, {1, 5, 0, "All"});
        rig.server.route("/calender/curpic.dat",
                         {.body = rig.answer("{base}/p\n{base}/pic.jpg\n9\nx")});
        const FaultServer::Answer down{
            .body = "picture", .stopAfter = 0, .ending = FaultServer::Answer::Ending::Reset};
        rig.server.route("/pic.jpg", down);
        QStringList countdowns;
        int ticks = 0;
        for (int failures = 0; failures < 7; ++ticks) {
            QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
            rig.cycle->Timer2_Timer();
            if (rig.timer().isActive())
                continue;
            QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
            countdowns << rig.timer().tag();
            ++failures;
        }
        QCOMPARE(rig.requests("/pic.jpg"), 8);
        QCOMPARE(countdowns, QStringList({"6", "12", "24", "48", "96", "180", "180"}));
        QCOMPARE(ticks, 1 + 6 + 12 + 24 + 48 + 96 + 180);
        rig.server.route("/pic.jpg", {.contentType = "image/jpeg", .body = jpeg(Qt::green)});
        for (int i = 0; i < 180; ++i)
            rig.cycle->Timer2_Timer();
        QTRY_VERIFY_WITH_TIMEOUT(isColour(rig.view.picture, Qt::green), 10000);
        rig.verifyCycleGoesOn("180");
        rig.server.route("/pic.jpg", down); // a success started the count anew
        rig.refresh();
        QCOMPARE(rig.timer().tag(), QString("6"));

        rig.view.current.interval = 4; // "Manual Update"
        rig.server.route("/pic.jpg", down);
        rig.refresh();
        QVERIFY(!rig.timer().isActive());
        QVERIFY2(rig.view.status.endsWith("Click refresh to try again."),
                 qPrintable(rig.view.status));
    }

    // The countdown follows the wall clock across a suspend; the network coming back
    // after a failure fetches at once; a metered connection holds timed refreshes back
    // but not a click; a timed interval chosen after "Manual Update" starts the timer.
    void waitsAndWakes()
    {
        Rig rig(true, {0, 5, 0, "All"}); // 5 minutes: 60 ticks
        PictureCycleProbe::downloadRetried(*rig.cycle) = true;
        rig.server.route("/calender/curpic.dat", {.body = "-1"});
        rig.cycle->networkImproved(); // nothing failed: nothing to catch up
        QVERIFY(!rig.view.busy);
        rig.cycle->Timer2_Timer();
        rig.clock.time = rig.clock.time.addSecs(-3600); // set back: nothing to catch up
        rig.clock.monotonic += 4999;
        rig.cycle->Timer2_Timer();
        QCOMPARE(rig.timer().tag(), QString("58"));
        rig.clock.time = rig.clock.time.addSecs(4 * 60 + 45); // a suspend of 4:45 ...
        rig.cycle->Timer2_Timer();
        QVERIFY(rig.view.busy); // ... and the tick brings the countdown to zero
        QTRY_COMPARE(rig.requests("/calender/curpic.dat"), 1);

        rig.server.route("/calender/queryrandompic.php", {.status = 500});
        rig.server.route("/calender/curpic.dat", {.status = 500});
        rig.refresh();
        QCOMPARE(rig.timer().tag(), QString("6"));
        QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
        rig.cycle->networkImproved();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 3);
        rig.server.route("/calender/curpic.dat", {.body = "-1"});

        rig.server.route("/calender/queryrandompic.php", {.body = "picked"});
        rig.cycle->setMetered(true);
        for (int i = 0; i < 70; ++i)
            rig.cycle->Timer2_Timer();
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 3);
        QVERIFY(rig.view.status.contains("metered"));
        rig.refresh();
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 4);
        rig.cycle->setMetered(false);

        rig.view.current.interval = 4; // "Manual Update" takes effect with the next refresh
        rig.refresh();
        QVERIFY(!rig.timer().isActive());
        rig.view.current.interval = 0;
        rig.cycle->applyChoices();
        QVERIFY(rig.timer().isActive());
        rig.cycle->Timer2_Timer();
        QTRY_COMPARE(rig.requests("/calender/queryrandompic.php"), 6);
    }

    // The timer sleeps until the countdown runs out, in one sleep: a jump of the wall
    // clock counts again, taking off the time the timer did not count but no tick; the
    // tick counts the ticks slept, however early a coarse timer wakes. Held back by a
    // metered connection, a due refresh sleeps until the connection changes.
    void sleepsUntilDue()
    {
        Rig rig(true, {0, 5, 0, "All"}); // 5 minutes: 60 ticks
        rig.server.route("/calender/curpic.dat", {.body = "-1"});
        QCOMPARE(rig.timer().interval(), 60 * 4999);
        QCOMPARE(rig.timer().timerType(), Qt::VeryCoarseTimer);
        rig.clock.monotonic += 10000;
        rig.clock.time = rig.clock.time.addSecs(10);
        rig.clock.jump(120);                        // a suspend of two minutes
        QCOMPARE(rig.timer().tag(), QString("34")); // 300 - 10 - 120 s left
        rig.clock.jump(-3600);                      // set back: nothing to catch up
        QCOMPARE(rig.timer().tag(), QString("34"));
        QCOMPARE(rig.timer().interval(), 34 * 4999);
        rig.clock.monotonic += 34 * 4999 - 900;
        rig.cycle->Timer2_Timer();
        QVERIFY(rig.view.busy);
        QTRY_VERIFY(!rig.view.busy);
        rig.cycle->setMetered(true);
        rig.cycle->applyChoices();
        QCOMPARE(rig.timer().interval(), std::numeric_limits<int>::max());
        rig.cycle->setMetered(false);
        QCOMPARE(rig.timer().interval(), 4999); // within 4999 ms, not a second late
        QCOMPARE(rig.timer().timerType(), Qt::PreciseTimer);
    }

    // A JPEG, GIF or BMP cut anywhere is incomplete, whatever the transfer said; a whole
    // one is complete, with or without bytes after its end.
    void imageStructure_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("whole");
        const QImage small = PictureSamples::picture(Qt::darkCyan, 3, {64, 48});
        QTest::newRow("JPEG") << QByteArray("jpeg") << PictureSamples::encoded(small, "JPEG");
        QTest::newRow("progressive JPEG")
            << QByteArray("jpeg") << PictureSamples::encoded(small, "JPEG", true);
        QTest::newRow("GIF") << QByteArray("gif") << PictureSamples::gif();
        QTest::newRow("BMP") << QByteArray("bmp") << PictureSamples::encoded(small, "BMP");
    }
    void imageStructure()
    {
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, whole);
        using platform::ImageStructure::isComplete;
        QVERIFY(isComplete(format, whole) && isComplete(format, whole + "tail"));
        for (qsizetype size = whole.size() - 1; size >= 0; size -= 1 + size / 16)
            QVERIFY2(!isComplete(format, whole.left(size)), qPrintable(QString::number(size)));
    }

    // Three installs over two days, then back twice and forward once: the second picture,
    // its record beside it. A damaged copy gives way to the picture's address; with the
    // server refusing, back works from the copies kept. A day brings back its last
    // picture; a day without pictures changes nothing. Clearing drops it all.
    void history()
    {
        Rig rig;
        const QList<QColor> colours = {Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < 3; ++i) {
            const QString name = QString("/%1.jpg").arg(i);
            rig.server.route("/calender/curpic.dat",
                             {.body = rig.answer("{base}/p\n{base}" + name + "\n9\nx")});
            rig.server.route(name.toUtf8(),
                             {.contentType = "image/jpeg", .body = jpeg(colours[i])});
            rig.refresh();
            rig.clock.time = rig.clock.time.addSecs(i == 0 ? 86400 : 60);
        }
        const auto shows = [&](const std::function<void()>& step, const QColor& colour) {
            step();
            QTRY_VERIFY(isColour(rig.view.picture, colour) && !rig.view.busy);
            QCOMPARE(*TextLines::read(rig.path("image.jpg.dat")), rig.view.record->toLines());
            QVERIFY(isColour(QImage(rig.path("image.jpg")), colour));
        };
        shows([&] { rig.cycle->previousPicture(); }, Qt::blue);
        shows([&] { rig.cycle->previousPicture(); }, Qt::green);
        shows([&] { rig.cycle->nextPicture(); }, Qt::blue);
        const QString damaged = rig.cycle->history().copyPath(2);
        QFile copy(damaged); // a new file: the copy shares the picture's inode
        QVERIFY(copy.remove() && copy.open(QIODevice::WriteOnly) && copy.write("damaged") == 7);
        copy.close();
        shows([&] { rig.cycle->nextPicture(); }, Qt::yellow); // from its address
        QCOMPARE(rig.requests("/2.jpg"), 2);
        for (const char* name : {"/0.jpg", "/1.jpg", "/2.jpg"})
            rig.server.route(name, {.status = 404});
        shows([&] { rig.cycle->previousPicture(); }, Qt::blue);
        shows([&] { rig.cycle->showDay(rig.clock.today().addDays(-1)); }, Qt::green);
        shows([&] { rig.cycle->showDay(rig.clock.today().addDays(1)); }, Qt::green);
        QCOMPARE(rig.requests("/0.jpg") + rig.requests("/1.jpg"), 2);
        QCOMPARE(rig.cycle->history().countOf(rig.clock.today()), 2);
        rig.cycle->clearHistory();
        QVERIFY(rig.cycle->history().entries().isEmpty() && !QDir(rig.path("History")).exists());
        rig.verifyCycleGoesOn();
    }

    // A slow picture shows how far it has come; a refresh given meanwhile starts anew,
    // twenty times in a row, and each reaches the server; the last one installs. Ending
    // the cycle mid-transfer leaves the old picture and no partial file.
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
        QSignalSpy ended(rig.cycle.get(), &PictureCycle::ended);
        for (int refreshes = 1; refreshes <= 21; ++refreshes) {
            rig.cycle->refreshNow();
            QTRY_COMPARE_WITH_TIMEOUT(rig.requests("/slow.jpg"), refreshes, 10000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!rig.view.progress.isEmpty() && rig.view.progress.last() > 0,
                                 10000);
        QVERIFY(rig.view.progress.last() < 1);
        QCOMPARE(rig.leftovers().size(), 1);
        QCOMPARE(rig.requests("/calender/queryrandompic.php"), 21);
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 20000);
        QVERIFY(isColour(rig.view.picture, Qt::green));
        rig.verifyCycleGoesOn();

        rig.cycle->refreshNow();
        QTRY_VERIFY_WITH_TIMEOUT(rig.leftovers().size() == 1, 10000);
        rig.cycle.reset();
        QCOMPARE(rig.leftovers(), QStringList());
        QCOMPARE(rig.read("image.jpg"), picture);
    }
};

QTEST_GUILESS_MAIN(TestPictureCycle)
#include "tst_picturecycle.moc"
