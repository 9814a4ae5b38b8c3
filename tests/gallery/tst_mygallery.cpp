// My Gallery: the gallery file's name and content, the "Image Added" blink, and the
// address of the server's gallery page.
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "gallery/GalleryRules.h"
#include "gallery/MyGallery.h"

#include <QTest>

class TestMyGallery : public QObject
{
    Q_OBJECT

    static const inline QString tag = "http://h/picture/7!?!http://h/pictures/7.jpg!?!7!?!Fractals";

    static Form1& startWithPicture(FormFixture& f, const QString& pictureTag = tag)
    {
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start("http://h");
        form.Image1->setTag(pictureTag);
        return form;
    }
    static QStringList galleryFiles(const FormFixture& f)
    {
        return QDir(f.path("MyGallery")).entryList(QDir::Files | QDir::Hidden);
    }

private slots:
    void fileName_data()
    {
        QTest::addColumn<QString>("pictureUrl");
        QTest::addColumn<QString>("name");
        QTest::newRow("last segment") << "http://h/pictures/7.jpg" << "7.jpg.data";
        QTest::newRow("no slash") << "sunset.jpg" << "sunset.jpg.data";
        QTest::newRow("ends in a slash") << "http://h/pictures/" << "picture.data";
        QTest::newRow("empty") << "" << "picture.data";
        QTest::newRow("starts with a dot") << "http://h/.hidden.jpg" << "picture.hidden.jpg.data";
        QTest::newRow("characters no name may hold") << "http://h/a:b*c?d\"e<f>g|h\\i.jpg"
                                                     << "a_b_c_d_e_f_g_h_i.jpg.data";
        QTest::newRow("control characters") << QString("http://h/a\tb\x01" "c.jpg") << "a_b_c.jpg.data";
        QTest::newRow("non-ASCII kept") << "http://h/Lumière.jpg" << "Lumière.jpg.data";
        QTest::newRow("very long") << "http://h/" + QString(300, 'x') << QString(200, 'x') + ".data";
    }
    void fileName()
    {
        QFETCH(QString, pictureUrl);
        QFETCH(QString, name);
        QCOMPARE(GalleryRules::fileName(pictureUrl), name);
    }

    void save_data()
    {
        QTest::addColumn<QString>("pictureTag");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("a picture") << tag << "7.jpg.data"
                                   << QByteArray("http://h/picture/7\r\nhttp://h/pictures/7.jpg\r\n7\r\nFractals\r\n");
        QTest::newRow("odd name") << "p!?!http://h/x?id=1!?!1!?!y" << "x_id=1.data"
                                  << QByteArray("p\r\nhttp://h/x?id=1\r\n1\r\ny\r\n");
        QTest::newRow("ends in a slash") << "p!?!http://h/dir/!?!2!?!" << "picture.data"
                                         << QByteArray("p\r\nhttp://h/dir/\r\n2\r\n\r\n");
        QTest::newRow("parts past four not written") << "a!?!b!?!c!?!d!?!e" << "b.data"
                                                     << QByteArray("a\r\nb\r\nc\r\nd\r\n");
    }
    void save()
    {
        QFETCH(QString, pictureTag);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        FormFixture f;
        Form1& form = startWithPicture(f, pictureTag);
        form.myGallery().Label9_Click();
        form.myGallery().Label9_Click(); // saving again leaves one file
        QCOMPARE(galleryFiles(f), QStringList{file});
        QCOMPARE(f.read("MyGallery/" + file), content);
    }

    void saveCreatesTheFolder()
    {
        FormFixture f;
        QDir(f.path("MyGallery")).removeRecursively();
        Form1& form = startWithPicture(f);
        form.myGallery().Label9_Click();
        QCOMPARE(galleryFiles(f), QStringList{"7.jpg.data"});
        QVERIFY(form.myGallery().blinking());
    }

    void nothingToSave()
    {
        FormFixture f;
        Form1& form = startWithPicture(f, "");
        form.myGallery().Label9_Click();
        QCOMPARE(galleryFiles(f), QStringList());
        QVERIFY(!form.myGallery().blinking());
        QVERIFY(form.ImageAdded->isVisibleTo(&form));
    }

    // A save that fails is not confirmed, and leaves no partial file.
    void failedSaveDoesNotFlash_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("full disk") << "full";
        QTest::newRow("a file where the folder should be") << "file";
    }
    void failedSaveDoesNotFlash()
    {
        QFETCH(QString, fault);
        FormFixture f;
        Form1& form = startWithPicture(f);
        if (fault == "file") {
            QDir(f.path("MyGallery")).removeRecursively();
            f.write("MyGallery", "not a folder");
            form.myGallery().Label9_Click();
        } else {
            const FileSizeLimit full(0);
            form.myGallery().Label9_Click();
        }
        QVERIFY(!form.myGallery().blinking());
        QVERIFY(form.ImageAdded->isVisibleTo(&form));
        if (fault == "full")
            QCOMPARE(galleryFiles(f), QStringList());
    }

    // The words show until 0.44 s, hide until 0.7 s, show until 1 s, then hide; a
    // second save during the blink starts it again.
    void blink()
    {
        FormFixture f;
        Form1& form = startWithPicture(f);
        form.Downloading->show();
        f.clock.monotonic = 5000;
        form.myGallery().Label9_Click();
        QVERIFY(!form.Downloading->isVisibleTo(&form));
        const auto wordsAt = [&](qint64 ms) {
            f.clock.monotonic = 5000 + ms;
            form.myGallery().Blink_Timer();
            return !form.ImageAdded->isVisibleTo(&form);
        };
        QVERIFY(wordsAt(0));
        QVERIFY(wordsAt(439));
        QVERIFY(!wordsAt(440));
        QVERIFY(!wordsAt(699));
        QVERIFY(wordsAt(700));
        QVERIFY(wordsAt(999));
        QVERIFY(!wordsAt(1000));
        QVERIFY(!form.myGallery().blinking());
        QVERIFY(!wordsAt(1200)); // over: a stray tick changes nothing

        f.clock.monotonic = 8000;
        form.myGallery().Label9_Click();
        QVERIFY(!wordsAt(3000 + 500));
        form.myGallery().Label9_Click(); // restart at 8.5 s
        QVERIFY(wordsAt(3000 + 500));
        QVERIFY(wordsAt(3000 + 939));
        QVERIFY(!wordsAt(3000 + 940));
        QVERIFY(!wordsAt(3000 + 1500));
    }

    // The real timer runs the blink to its end without anyone driving it.
    void blinkEndsOnItsOwn()
    {
        FormFixture f;
        platform::setClock(nullptr);
        Form1& form = startWithPicture(f);
        form.myGallery().Label9_Click();
        QVERIFY(!form.ImageAdded->isVisibleTo(&form));
        QTRY_VERIFY_WITH_TIMEOUT(form.ImageAdded->isVisibleTo(&form), 1000); // hidden words at 0.44 s
        QTRY_VERIFY_WITH_TIMEOUT(!form.myGallery().blinking(), 2000);
        QVERIFY(form.ImageAdded->isVisibleTo(&form));
    }

    void galleryPage_data()
    {
        QTest::addColumn<QStringList>("files"); // name=content
        QTest::addColumn<QString>("opened"); // the ids part of the address; "-" for nothing
        QTest::newRow("no files") << QStringList() << "-";
        QTest::newRow("one file") << QStringList{"a.jpg.data=p\r\nu\r\n1234\r\nx\r\n"} << "1234";
        QTest::newRow("three files in name order")
            << QStringList{"c.data=p\r\nu\r\n3\r\nx\r\n", "a.data=p\r\nu\r\n1\r\nx\r\n", "b.data=p\r\nu\r\n2\r\nx\r\n"}
            << "1,2,3";
        QTest::newRow("empty line 3") << QStringList{"a.data=p\r\nu\r\n\r\nx\r\n", "b.data=p\r\nu\r\n2\r\nx\r\n"}
                                      << ",2";
        QTest::newRow("empty line 3 last") << QStringList{"a.data=p\r\nu\r\n1\r\nx\r\n", "b.data=p\r\nu\r\n\r\n"}
                                           << "1,";
        QTest::newRow("short file") << QStringList{"a.data=p\r\nu\r\n", "b.data=p\nu\n2\nx\n"} << ",2";
        QTest::newRow("other files ignored") << QStringList{"a.txt=p\r\nu\r\n9\r\n", "b.data=p\r\nu\r\n2\r\n"} << "2";
        QTest::newRow("unreadable file skipped")
            << QStringList{"a.data=" + QString(2 * 1024 * 1024, 'x'), "b.data=p\r\nu\r\n2\r\n"} << "2";
    }
    void galleryPage()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, opened);
        FormFixture f;
        for (const QString& file : files)
            f.write("MyGallery/" + file.section('=', 0, 0), file.section('=', 1).toUtf8());
        Form1& form = f.start("http://h:8642");
        form.myGallery().Label2_Click();
        if (opened == "-") {
            QCOMPARE(f.opened, QList<QUrl>());
        } else {
            QCOMPARE(f.opened.size(), 1);
            QCOMPARE(f.opened[0].toString(),
                     "http://h:8642/calender/mygallery.php?category=mygallery&mygallery=" + opened);
        }
    }

    void galleryPageWithoutFolder()
    {
        FormFixture f;
        QDir(f.path("MyGallery")).removeRecursively();
        Form1& form = f.start();
        form.myGallery().Label2_Click();
        QCOMPARE(f.opened, QList<QUrl>());
    }
};

QTEST_MAIN(TestMyGallery)
#include "tst_mygallery.moc"
