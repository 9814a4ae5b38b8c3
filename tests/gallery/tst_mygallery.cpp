// SPDX-License-Identifier: GPL-3.0-or-later
// My Gallery: saving a picture's record, the "Image Added" blink, the gallery page.
#include "FaultServer.h"
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "PictureSamples.h"
#include "gallery/GalleryRules.h"

#include <QTest>
#include <QTextDocument>

class TestMyGallery : public QObject
{
    Q_OBJECT
private slots:
    // The gallery lists its files in the order of this locale's collation.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // `file` is the saved file's name, empty for none; a null address: no record.
    void save_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("file");
        QTest::newRow("last segment") << "http://h/Lumière?s=1" << false << "Lumière_s=1.data";
        QTest::newRow("nothing after the slash") << "http://h/p/" << false << "picture.data";
        QTest::newRow("leading dot") << "http://h/.." << false << "picture...data";
        QTest::newRow("unsafe chars") << "a:*?\"<>|\\\t\x7f.b" << false << "a__________.b.data";
        // File names are at most 255 bytes; a cut one ends in a hash of the whole segment.
        QTest::newRow("255 bytes") << QString(250, 'x') << false << QString(250, 'x') + ".data";
        QTest::newRow("cut") << QString(300, 'x') << false << QString(241, 'x') + "-02fd6825.data";
        QTest::newRow("cut between characters")
            << "http://h/" + QString(200, u'中') << false << QString(80, u'中') + "-37585f31.data";
        QTest::newRow("no record") << QString() << false << QString();
        QTest::newRow("full disk") << "http://h/7.jpg" << true << QString();
    }
    void save()
    {
        QFETCH(QString, url);
        QFETCH(bool, diskFull);
        QFETCH(QString, file);
        const bool saved = !file.isEmpty();
        FormFixture f;
        Form1& form = f.start();
        f.ui().Image1->setTag(url.isNull() ? QString() : "p!?!" + url + "!?!7!?!x");
        f.ui().Downloading->show();
        {
            const FileSizeLimit limit(diskFull ? 0 : RLIM_INFINITY);
            form.myGallery().Label9_Click();
            form.myGallery().Label9_Click(); // saving again leaves one file
        }
        const QStringList files = QDir(f.path("MyGallery")).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files.size(), saved ? 1 : 0);
        QCOMPARE(files.value(0), file);
        if (saved)
            QCOMPARE(f.read("MyGallery/" + files[0]), "p\r\n" + url.toUtf8() + "\r\n7\r\nx\r\n");
        // Confirmed: the busy label gives way to the words, which the cover stops hiding.
        QCOMPARE(f.ui().Downloading->isVisibleTo(&form), !saved);
        QCOMPARE(f.ui().ImageAdded->isVisibleTo(&form), !saved);
        QCOMPARE(form.myGallery().blinking(), saved);
        f.clock.monotonic += GalleryRules::blinkMs;
        form.myGallery().Blink_Timer();
        QVERIFY(f.ui().ImageAdded->isVisibleTo(&form) && !form.myGallery().blinking());
    }

    // Only the picture shown leaves My Gallery: its file, when that holds the same
    // picture, saved before the server sent credits or since.
    void remove_data()
    {
        QTest::addColumn<QString>("saved"); // the tag of the picture saved before
        QTest::addColumn<bool>("removed");
        QTest::newRow("the one shown") << "p!?!http://h/7.jpg!?!7!?!x!?!Title: t" << true;
        QTest::newRow("old file, no credits") << "p!?!http://h/7.jpg!?!7!?!x" << true;
        QTest::newRow("same file name, other server") << "p!?!http://g/7.jpg!?!7!?!x" << false;
        QTest::newRow("same address, other id") << "p!?!http://h/7.jpg!?!8!?!x" << false;
    }
    void remove()
    {
        QFETCH(QString, saved);
        QFETCH(bool, removed);
        FormFixture f;
        Form1& form = f.start();
        f.ui().Image1->setTag(saved);
        form.myGallery().Label9_Click();
        f.ui().Image1->setTag("p!?!http://h/7.jpg!?!7!?!x!?!Title: t");
        QCOMPARE(form.myGallery().shownIsSaved(), removed);
        form.myGallery().removeShown();
        QCOMPARE(QFile::exists(f.path("MyGallery/7.jpg.data")), !removed);
    }

    // Credits are saved with the picture, a value holding the tag's separator too; shown
    // again after the server has gone, the picture says what it is, in words, not markup.
    void creditsKept()
    {
        FormFixture f;
        auto server = std::make_unique<FaultServer>();
        const QByteArray base = server->url("").toEncoded();
        const QByteArray record = base + "/p\n" + base + "/7.jpg\n7\nCats\nCreator: <b>M</b>!?!x";
        server->route("/calender/queryrandompic.php", {.body = "picked"});
        server->route("/calender/curpic.dat", {.body = record + "\nDate: 1872"});
        server->route("/7.jpg", {.body = PictureSamples::encoded(QImage(8, 8, QImage::Format_RGB32),
                                                                 "JPEG")});
        f.start(base).Label6_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.ui().Image1->tag().isEmpty(), 10000);
        f.form->myGallery().Label9_Click();
        QCOMPARE(f.read("MyGallery/7.jpg.data"),
                 QByteArray(record + "\nDate: 1872\n").replace("\n", "\r\n"));
        server.reset();
        f.form.reset();
        f.start(base);
        const QString said = "<b>M</b>!?!x (1872)\nCategory: Cats\nFrom " + base;
        const QString tip = f.ui().Image1->toolTip();
        QTextDocument shown; // as a tooltip shows it
        shown.setHtml(tip);
        QCOMPARE(Qt::mightBeRichText(tip) ? shown.toPlainText() : tip, said);
        QCOMPARE(f.ui().Image1->accessibleDescription(), said);
    }

    // Milliseconds after the save; `next` is when the blink changes next.
    void blink_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("next");
        QTest::newRow("just before the hide") << 439 << true << 440;
        QTest::newRow("hidden") << 440 << false << 700;
        QTest::newRow("just before showing again") << 699 << false << 700;
        QTest::newRow("shown again") << 700 << true << 1000;
        QTest::newRow("last moment") << 999 << true << 1000;
        QTest::newRow("over") << 1000 << false << 1000;
    }
    void blink()
    {
        QFETCH(int, ms);
        QFETCH(bool, shown);
        QFETCH(int, next);
        QCOMPARE(GalleryRules::wordsShown(ms), shown);
        QCOMPARE(GalleryRules::nextBlinkChange(ms), next);
    }

    // The ids are each file's third line; `opened` is empty when no page opens.
    void galleryPage_data()
    {
        QTest::addColumn<QStringList>("files"); // name=content
        QTest::addColumn<QString>("opened");
        const QString tooBig = QString(2 << 20, u'x');
        // By name as read: case aside (then "A" before "a", every time), numbers whole.
        QTest::newRow("letters") << QStringList{"C.data=\n\nC", "b.data=\r\n\r\nb", "a.data=\n\na",
                                                "A.data=\n\nA"}
                                 << "A,a,b,C";
        QTest::newRow("numbers") << QStringList{"pic10.data=\n\n10", "pic9.data=\n\n9",
                                                "pic2.data=\n\n2"}
                                 << "2,9,10";
        QTest::newRow("short file") << QStringList{"a.data=\n", "b.data=\n\n2"} << ",2";
        QTest::newRow("others") << QStringList{"a.txt=\n\n1", ".b.data=\n\n2", "c.data=\n\n3"}
                                << "3";
        QTest::newRow("unreadable") << QStringList{"a.data=" + tooBig, "b.data=\n\n2"} << "2";
        QTest::newRow("all unreadable") << QStringList{"a.data=" + tooBig} << QString();
    }
    void galleryPage()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, opened);
        FormFixture f;
        for (const QString& file : files)
            f.write("MyGallery/" + file.section('=', 0, 0), file.section('=', 1).toUtf8());
        f.start("http://h:8642").myGallery().Label2_Click();
        const QString page = "http://h:8642/calender/mygallery.php?category=mygallery&mygallery=";
        QCOMPARE(f.opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(page + opened)});
    }
};

QTEST_MAIN(TestMyGallery)
#include "tst_mygallery.moc"
