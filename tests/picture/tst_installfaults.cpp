// Installing pictures from a server that misbehaves: the picture on screen and on disk,
// its record and the refresh cycle must come through every fault intact.
#include "FaultServer.h"
#include "FormFixture.h"
#include "picture/PictureInstaller.h"
#include "settings/SettingsPanel.h"
#include "platform/Http.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QByteArray randomPick = "/calender/queryrandompic.php";
const QByteArray currentPicture = "/calender/curpic.dat";

QByteArray jpeg(const QColor& colour, QSize size = {320, 240})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return buffer.data();
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 && qAbs(a.blue() - b.blue()) < 24;
}
} // namespace

class TestInstallFaults : public QObject
{
    Q_OBJECT

    struct Rig
    {
        FormFixture f;
        FaultServer server;
        QString base;
        Form1* form = nullptr;

        // A widget showing a red picture with its record, refreshing every 15 minutes,
        // whose one retry is already used unless a test wants it.
        Rig(bool retryUsed = true)
        {
            base = server.url("/").toString();
            base.chop(1);
            f.write("Settings.dat", " 1 \r\n 0 \r\n");
            f.write("image.jpg", jpeg(Qt::red));
            f.write("image.jpg.dat", "old-page\r\nold-picture\r\n1\r\nOld\r\n");
            server.route(randomPick, {.body = "<html>picked</html>"});
            form = &f.start(base);
            form->http().setDeadline(700ms);
            form->DownloadRetried = retryUsed;
        }
        QString withBase(const QString& text) const { return QString(text).replace("{base}", base); }
        QByteArray answer(const QString& fields) const { return withBase(fields).toUtf8(); }
        int requestsFor(const QByteArray& path) const
        {
            return int(std::count_if(server.requests().begin(), server.requests().end(),
                                     [&](const FaultServer::Request& r) { return r.path() == path; }));
        }
        // Refresh now and wait until the refresh has ended.
        void refresh()
        {
            QSignalSpy ended(&form->installer(), &PictureInstaller::ended);
            form->settingsPanel().Label6_Click();
            QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 20000);
        }
        QColor shownColour() const
        {
            const QImage& p = form->Image1->picture();
            return p.pixelColor(p.width() / 2, p.height() / 2);
        }
        QStringList leftovers() const
        {
            return QDir(f.dir.path()).entryList({"*.download"}, QDir::Files);
        }
        // The cycle goes on: armed for the next interval, button and busy label free.
        void verifyCycleGoesOn() const
        {
            QVERIFY(form->Timer2->isActive());
            QCOMPARE(form->Timer2->tag(), QString("180"));
            QVERIFY(form->Label6->isEnabled());
            QVERIFY(!form->Downloading->isVisibleTo(form));
            QCOMPARE(leftovers(), QStringList());
        }
    };

private slots:
    void initTestCase()
    {
        // Quieten the expected warnings of every fault.
        QLoggingCategory::setFilterRules("artcal.*.warning=false\nartcal.*.info=false");
    }

    void install_data()
    {
        QTest::addColumn<int>("answerStatus");
        QTest::addColumn<QString>("answerBody");
        QTest::addColumn<int>("answerDelayMs");
        QTest::addColumn<QString>("picture"); // how /pic.jpg answers
        QTest::addColumn<QStringList>("installed"); // the record installed; empty: none

        const QString good = "{base}/picture/9\n{base}/pic.jpg\n9\nPatterns";
        const QStringList goodRecord = {"{base}/picture/9", "{base}/pic.jpg", "9", "Patterns"};
        QTest::newRow("good") << 200 << good << 0 << "good" << goodRecord;
        QTest::newRow("CR LF lines") << 200 << QString(good).replace("\n", "\r\n") + "\r\n" << 0 << "good"
                                     << goodRecord;
        QTest::newRow("1500-byte answer") << 200 << good + "\n" + QString(1500, 'z') << 0 << "good" << goodRecord;
        QTest::newRow("spaces around") << 200 << "   " + good + "   " << 0 << "good" << goodRecord;
        QTest::newRow("nothing offered") << 200 << "-1" << 0 << "good" << QStringList();
        QTest::newRow("404 page") << 404 << "<html><h1>Not Found</h1></html>" << 0 << "good" << QStringList();
        QTest::newRow("500 page") << 500 << "Internal error\nno picture" << 0 << "good" << QStringList();
        QTest::newRow("empty answer") << 200 << "" << 0 << "good" << QStringList();
        QTest::newRow("answer past the deadline") << 200 << good << 2000 << "good" << QStringList();
        QTest::newRow("reset mid-picture") << 200 << good << 0 << "reset" << QStringList();
        QTest::newRow("truncated picture") << 200 << good << 0 << "truncated" << QStringList();
        QTest::newRow("not an image") << 200 << good << 0 << "text" << QStringList();
        QTest::newRow("picture 404") << 200 << good << 0 << "missing" << QStringList();
        QTest::newRow("picture over 64 MiB") << 200 << good << 0 << "huge" << QStringList();
        QTest::newRow("file: picture") << 200 << "{base}/p\nfile:///etc/passwd\n1\nx" << 0 << "good"
                                       << QStringList();
        QTest::newRow("data: picture") << 200 << "{base}/p\ndata:image/png;base64,AAAA\n1\nx" << 0 << "good"
                                       << QStringList();
    }
    void install()
    {
        QFETCH(int, answerStatus);
        QFETCH(QString, answerBody);
        QFETCH(int, answerDelayMs);
        QFETCH(QString, picture);
        QFETCH(QStringList, installed);
        Rig rig;
        rig.server.route(currentPicture, {.status = answerStatus,
                                          .body = rig.answer(answerBody),
                                          .headerDelay = std::chrono::milliseconds(answerDelayMs)});
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
            pic.body.clear(), pic.generatedSize = 64 * 1024 * 1024 + 1;
        rig.server.route("/pic.jpg", pic);
        const QByteArray imageBefore = rig.f.read("image.jpg");
        const QByteArray recordBefore = rig.f.read("image.jpg.dat");
        const QString tagBefore = rig.form->Image1->tag();

        rig.refresh();

        rig.verifyCycleGoesOn();
        if (installed.isEmpty()) {
            QCOMPARE(rig.f.read("image.jpg"), imageBefore);
            QCOMPARE(rig.f.read("image.jpg.dat"), recordBefore);
            QCOMPARE(rig.form->Image1->tag(), tagBefore);
            QVERIFY(near(rig.shownColour(), Qt::red));
        } else {
            const QStringList fields = rig.withBase(installed.join('\n')).split('\n');
            QCOMPARE(rig.f.read("image.jpg"), green);
            QCOMPARE(rig.f.read("image.jpg.dat"), (fields.join("\r\n") + "\r\n").toUtf8());
            QCOMPARE(rig.form->Image1->tag(), fields.join("!?!"));
            QVERIFY(near(rig.shownColour(), Qt::green));
            QVERIFY(!rig.form->Picture2->isVisibleTo(rig.form));
            QVERIFY(rig.form->Label10->isVisibleTo(rig.form->Picture2));
        }
        if (answerBody.contains("file:"))
            QCOMPARE(rig.server.requests().size(), 2); // the pick and the record, nothing more
    }

    void unreachableServer()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n 0 \r\n");
        f.write("image.jpg", jpeg(Qt::red));
        Form1& form = f.start(QString("http://127.0.0.1:%1").arg(port));
        QSignalSpy ended(&form.installer(), &PictureInstaller::ended);
        form.settingsPanel().Label6_Click();
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QVERIFY(form.Label6->isEnabled());
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Timer2->tag(), QString("180"));
        QCOMPARE(f.read("image.jpg"), jpeg(Qt::red));
    }

    // The first failed download of a run fetches once more, whatever the interval; a
    // later failure does not.
    void oneRetryPerRun()
    {
        Rig rig(false);
        rig.server.route(currentPicture, {.body = rig.answer("{base}/p\n{base}/pic.jpg\n9\nx")});
        rig.server.route("/pic.jpg", {.status = 404});
        rig.refresh();
        QVERIFY(rig.form->DownloadRetried);
        QCOMPARE(rig.requestsFor(randomPick), 2);
        QCOMPARE(rig.requestsFor("/pic.jpg"), 2);
        rig.verifyCycleGoesOn();
        rig.refresh();
        QCOMPARE(rig.requestsFor(randomPick), 3);
        QCOMPARE(rig.requestsFor("/pic.jpg"), 3);
        rig.verifyCycleGoesOn();
    }

    // A picture of 100 megapixels, under the size cap, is decoded straight to the size
    // it is shown at.
    void hugePictureDecodedSmall()
    {
        Rig rig;
        QImage big(10000, 10000, QImage::Format_Grayscale8);
        big.fill(200);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(50);
        QVERIFY(writer.write(big));
        big = QImage();
        QVERIFY(buffer.size() < 64 * 1024 * 1024);
        rig.server.route(currentPicture, {.body = rig.answer("{base}/p\n{base}/big.jpg\n9\nx")});
        rig.server.route("/big.jpg", {.contentType = "image/jpeg", .body = buffer.data()});
        rig.form->http().setDeadline(20s);
        rig.refresh();
        QCOMPARE(rig.form->Image1->tag(), rig.withBase("{base}/p!?!{base}/big.jpg!?!9!?!x"));
        QCOMPARE(rig.form->Image1->picture().size(), QSize(188, 144) * rig.form->devicePixelRatioF());
        QCOMPARE(rig.f.read("image.jpg").size(), buffer.size());
    }

    // Closing the window mid-transfer leaves the old picture and no partial file.
    void closeDuringDownload()
    {
        Rig rig;
        rig.server.route(currentPicture, {.body = rig.answer("{base}/p\n{base}/slow.jpg\n9\nx")});
        rig.server.route("/slow.jpg", {.contentType = "image/jpeg", .body = jpeg(Qt::green),
                                       .pieceSize = 100, .pieceDelay = 50ms});
        rig.form->http().setDeadline(20s);
        rig.form->settingsPanel().Label6_Click();
        QTRY_COMPARE_WITH_TIMEOUT(rig.leftovers().size(), 1, 5000);
        rig.f.form.reset();
        QCOMPARE(rig.leftovers(), QStringList());
        QCOMPARE(rig.f.read("image.jpg"), jpeg(Qt::red));
        QCOMPARE(rig.f.read("image.jpg.dat"), QByteArray("old-page\r\nold-picture\r\n1\r\nOld\r\n"));
    }

    // A slow picture shows its progress in the busy label once it takes a while.
    void progressAfterASecond()
    {
        Rig rig;
        rig.server.route(currentPicture, {.body = rig.answer("{base}/p\n{base}/slow.jpg\n9\nx")});
        const QByteArray picture = jpeg(Qt::green, {800, 600});
        rig.server.route("/slow.jpg", {.contentType = "image/jpeg", .body = picture,
                                       .pieceSize = picture.size() / 40, .pieceDelay = 50ms});
        rig.form->http().setDeadline(20s);
        QSignalSpy ended(&rig.form->installer(), &PictureInstaller::ended);
        rig.form->settingsPanel().Label6_Click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.form->Downloading->progress() > 0, 5000);
        QVERIFY(rig.form->Downloading->progress() < 1);
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QCOMPARE(rig.form->Downloading->progress(), qreal(-1));
        QVERIFY(near(rig.shownColour(), Qt::green));
    }
};

QTEST_MAIN(TestInstallFaults)
#include "tst_installfaults.moc"
