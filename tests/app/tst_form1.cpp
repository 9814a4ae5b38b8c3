// The window: controls and their stacking, start-up from good and bad state files,
// moving and closing.
#include "FormFixture.h"

#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TestForm1 : public QObject
{
    Q_OBJECT

    static QColor centreColour(const ImageBox* box)
    {
        const QImage& p = box->picture();
        return p.isNull() ? QColor() : p.pixelColor(p.width() / 2, p.height() / 2);
    }
    static bool near(const QColor& a, const QColor& b)
    {
        return qAbs(a.red() - b.red()) < 16 && qAbs(a.green() - b.green()) < 16 && qAbs(a.blue() - b.blue()) < 16;
    }
    // A click as the window system delivers it: to whatever control lies on top there.
    static void clickAt(Form1& form, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(form.windowHandle(), button, {}, at);
    }

private slots:
    void windowAndControls()
    {
        FormFixture f;
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(235, 392));
        QCOMPARE(form.windowTitle(), QString("C"));
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
    }

    // Which control a click at a point reaches, by the real stacking order.
    void topControl_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("control");
        QTest::newRow("Label13 left column") << QPoint(24, 196) << "Label13";
        QTest::newRow("Label13 left column, bottom") << QPoint(24, 205) << "Label13";
        QTest::newRow("Label2 over Label13") << QPoint(25, 200) << "Label2";
        QTest::newRow("Label2 right edge") << QPoint(90, 205) << "Label2";
        QTest::newRow("Label13 right strip 91") << QPoint(91, 200) << "Label13";
        QTest::newRow("Label13 right strip 92") << QPoint(92, 200) << "Label13";
        QTest::newRow("below Label13, Label2") << QPoint(50, 209) << "Label2";
        QTest::newRow("picture over hover label") << QPoint(100, 100) << "Image1";
        QTest::newRow("Downloading hidden: cover") << QPoint(160, 200) << "ImageAdded";
        QTest::newRow("close button") << QPoint(204, 20) << "LabelExit";
        QTest::newRow("refresh button") << QPoint(110, 210) << "Label6";
        QTest::newRow("settings button") << QPoint(200, 380) << "Label5";
        QTest::newRow("calendar") << QPoint(30, 300) << "Picture1";
        QTest::newRow("month caption") << QPoint(120, 188) << "LabelMnthShade";
        QTest::newRow("bare skin") << QPoint(5, 5) << "";
        QTest::newRow("bare skin between buttons") << QPoint(8, 380) << "";
    }
    void topControl()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, control);
        FormFixture f;
        Form1& form = f.start();
        const QMap<QString, QWidget*> controls = {
            {"Label13", form.Label13}, {"Label2", form.Label2},       {"Image1", form.Image1},
            {"ImageAdded", form.ImageAdded}, {"LabelExit", form.LabelExit}, {"Label6", form.Label6},
            {"Label5", form.Label5},   {"Picture1", form.Picture1}, {"LabelMnthShade", form.LabelMnthShade}};
        QWidget* hit = form.childAt(at);
        QCOMPARE(controls.key(hit, hit ? hit->metaObject()->className() : QString()), control);
    }

    // Real clicks through the window: the badge takes the clicks of "Add to My Gallery"
    // where it covers it, and only there.
    void badgeBlocksGallerySave_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("reachesLabel9");
        QTest::newRow("under the badge") << QPoint(100, 20) << false;
        QTest::newRow("badge's left edge") << QPoint(58, 12) << false;
        QTest::newRow("right of the badge") << QPoint(174, 20) << true;
        QTest::newRow("below the badge") << QPoint(100, 28) << true;
    }
    void badgeBlocksGallerySave()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, reachesLabel9);
        FormFixture f;
        Form1& form = f.start(); // no picture: the placeholder shows and so does the badge
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Picture2->isVisible());
        QSignalSpy clicks(form.Label9, &HotSpot::clicked);
        clickAt(form, at);
        QCOMPARE(clicks.size(), reachesLabel9 ? 1 : 0);
        form.Picture2->hide();
        clickAt(form, at);
        QCOMPARE(clicks.size(), reachesLabel9 ? 2 : 1);
    }

    // The home page command runs from Label13's uncovered edges only; a click on the
    // picture reaches the picture.
    void clicksReachTheirControl()
    {
        FormFixture f;
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy picture(form.Image1, &HotSpot::clicked);
        clickAt(form, {100, 100});
        clickAt(form, {100, 100}, Qt::RightButton); // only the left button clicks
        clickAt(form, {92, 200});
        clickAt(form, {60, 200});
        QCOMPARE(picture.size(), 1);
        QCOMPARE(f.opened, QList<QUrl>{QUrl("http://127.0.0.1:8642")});
    }

    // A press on bare skin moves the window, whatever the button; a press on a control
    // never does. Offscreen there is no window manager, so the window follows the pointer.
    void dragOnBareSkin_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left on skin") << QPoint(5, 100) << Qt::LeftButton << true;
        QTest::newRow("right on skin") << QPoint(5, 100) << Qt::RightButton << true;
        QTest::newRow("middle on skin") << QPoint(230, 300) << Qt::MiddleButton << true;
        QTest::newRow("on the picture") << QPoint(100, 100) << Qt::LeftButton << false;
        QTest::newRow("on a hot spot") << QPoint(110, 210) << Qt::LeftButton << false;
        QTest::newRow("on the month caption") << QPoint(120, 188) << Qt::LeftButton << false;
    }
    void dragOnBareSkin()
    {
        QFETCH(QPoint, at);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, moves);
        FormFixture f;
        Form1& form = f.start();
        form.move(100, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint before = form.pos();
        QTest::mousePress(form.windowHandle(), button, {}, at);
        QTest::mouseMove(form.windowHandle(), at + QPoint(40, 25));
        QTRY_COMPARE(form.pos(), moves ? before + QPoint(40, 25) : before);
        // The pointer has not moved since: in a window that followed it, it is back
        // where it was pressed.
        QTest::mouseRelease(form.windowHandle(), button, {}, moves ? at : at + QPoint(40, 25));
        QCOMPARE(form.pos(), moves ? before + QPoint(40, 25) : before);
        // The move ends with the release.
        QTest::mouseMove(form.windowHandle(), at + QPoint(80, 80));
        QCOMPARE(form.pos(), moves ? before + QPoint(40, 25) : before);
    }

    void closeButtonEndsWithoutSaving()
    {
        FormFixture f;
        f.write("Settings.dat", " 2 \r\n 0 \r\n");
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Settings->move(19, 224);
        form.Settings->show();
        form.Combo1->setCurrentIndex(4);
        clickAt(form, {204, 20});
        QVERIFY(!form.isVisible());
        QCOMPARE(f.read("Settings.dat"), QByteArray(" 2 \r\n 0 \r\n"));
    }

    // Start-up's picture step, for every combination of the picture files.
    void startupPicture_data()
    {
        QTest::addColumn<QString>("image");   // "good", "corrupt" or "none"
        QTest::addColumn<QString>("record");  // the bytes of image.jpg.dat, or "none"
        QTest::addColumn<QString>("fallback"); // default.jpg: "good", "corrupt" or "none"
        QTest::addColumn<QString>("shows");   // "image", "default" or "nothing"
        QTest::addColumn<QString>("tag");
        QTest::newRow("picture and record") << "good" << "p\r\nu\r\n7\r\nFractals\r\n" << "good" << "image"
                                            << "p!?!u!?!7!?!Fractals";
        QTest::newRow("record with linux line ends") << "good" << "p\nu\n7\nFractals" << "good" << "image"
                                                     << "p!?!u!?!7!?!Fractals";
        QTest::newRow("short record") << "good" << "p\r\nu\r\n" << "good" << "image" << "p!?!u!?!!?!";
        QTest::newRow("picture without record") << "good" << "none" << "good" << "image" << "";
        QTest::newRow("record without picture") << "none" << "p\r\nu\r\n7\r\nx\r\n" << "good" << "default" << "";
        QTest::newRow("corrupt picture counts as missing") << "corrupt" << "p\r\nu\r\n7\r\nx\r\n" << "good"
                                                           << "default" << "";
        QTest::newRow("no picture, corrupt placeholder") << "none" << "none" << "corrupt" << "nothing" << "";
        QTest::newRow("no picture, no placeholder") << "none" << "none" << "none" << "nothing" << "";
    }
    void startupPicture()
    {
        QFETCH(QString, image);
        QFETCH(QString, record);
        QFETCH(QString, fallback);
        QFETCH(QString, shows);
        QFETCH(QString, tag);
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n 0 \r\n");
        if (image == "good")
            f.writePicture("image.jpg", Qt::red);
        else if (image == "corrupt")
            f.write("image.jpg", "not a picture");
        if (record != "none")
            f.write("image.jpg.dat", record.toUtf8());
        if (fallback == "good")
            f.writePicture("default.jpg", Qt::blue);
        else if (fallback == "corrupt")
            f.write("default.jpg", QByteArray(5000, '\xff'));
        const QByteArray recordBefore = f.read("image.jpg.dat");

        Form1& form = f.start();
        QCOMPARE(form.Image1->tag(), tag);
        QCOMPARE(form.DefaultPictureShown, shows != "image");
        QCOMPARE(form.Picture2->isVisibleTo(&form), shows != "image");
        QVERIFY(!form.Label10->isVisibleTo(form.Picture2));
        if (shows == "image")
            QVERIFY(near(centreColour(form.Image1), Qt::red));
        else if (shows == "default")
            QVERIFY(near(centreColour(form.Image1), Qt::blue));
        else
            QVERIFY(form.Image1->picture().isNull());
        // Start-up writes nothing.
        QCOMPARE(f.read("image.jpg.dat"), recordBefore);
    }

    // Big pictures are decoded at the size they are shown.
    void pictureDecodedAtShownSize()
    {
        FormFixture f;
        f.writePicture("image.jpg", Qt::green, {3000, 2000});
        Form1& form = f.start();
        QCOMPARE(form.Image1->picture().size(), QSize(188, 144) * form.devicePixelRatioF());
    }

    void startupSettings_data()
    {
        QTest::addColumn<QByteArray>("settings"); // "<none>": no file
        QTest::addColumn<QByteArray>("categories"); // "<none>": no file
        QTest::addColumn<bool>("installedPicture");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("categoryCount");
        QTest::addColumn<QString>("countdown");
        QTest::addColumn<bool>("badge");
        QTest::newRow("15 minutes") << QByteArray(" 1 \r\n 0 \r\n") << QByteArray("A\r\nB\r\n") << true << 1 << 0 << 4
                                    << "180" << false;
        QTest::newRow("5 minutes") << QByteArray(" 0 \r\n 0 \r\n") << QByteArray("A\r\n") << true << 0 << 0 << 3
                                   << "60" << false;
        QTest::newRow("1 hour") << QByteArray(" 3 \r\n 0 \r\n") << QByteArray("A\r\n") << true << 3 << 0 << 3 << "720"
                                << false;
        QTest::newRow("manual fetches at the first tick") << QByteArray(" 4 \r\n 0 \r\n") << QByteArray() << true << 4
                                                          << 0 << 2 << "0" << false;
        QTest::newRow("no interval") << QByteArray("-1 \r\n-1 \r\n") << QByteArray() << true << -1 << -1 << 2 << "0"
                                     << false;
        QTest::newRow("My Gallery shows the badge") << QByteArray(" 1 \r\n 1 \r\n") << QByteArray() << true << 1 << 1
                                                    << 2 << "180" << true;
        // A new user gets a picture at the first tick, whatever the interval.
        QTest::newRow("placeholder: badge, fetch at once") << QByteArray(" 3 \r\n 2 \r\n") << QByteArray("A\r\n")
                                                           << false << 3 << 2 << 3 << "0" << true;
        QTest::newRow("a category of the file") << QByteArray(" 2 \r\n 6 \r\n")
                                                << QByteArray("Abstract\r\nFractals\r\n\r\nLandscapes\nLight & Shadow")
                                                << true << 2 << 6 << 7 << "360" << false;
        QTest::newRow("category past the list") << QByteArray(" 2 \r\n 6 \r\n") << QByteArray("A\r\n") << true << 2
                                                << 0 << 3 << "360" << false;
        QTest::newRow("no categories file") << QByteArray(" 2 \r\n 1 \r\n") << QByteArray("<none>") << true << 2 << 1
                                            << 2 << "360" << true;
        QTest::newRow("no settings file") << QByteArray("<none>") << QByteArray() << true << 1 << 0 << 2 << "180"
                                          << false;
        QTest::newRow("short settings file") << QByteArray(" 0 ") << QByteArray() << true << 0 << 0 << 2 << "60"
                                             << false;
        QTest::newRow("garbage settings") << QByteArray("\x01\x02zz\r\n1e3\r\n") << QByteArray() << true << 1 << 0
                                          << 2 << "180" << false;
    }
    void startupSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, categories);
        QFETCH(bool, installedPicture);
        QFETCH(int, interval);
        QFETCH(int, category);
        QFETCH(int, categoryCount);
        QFETCH(QString, countdown);
        QFETCH(bool, badge);
        FormFixture f;
        if (settings != "<none>")
            f.write("Settings.dat", settings);
        if (categories != "<none>")
            f.write("Categories.dat", categories);
        if (installedPicture)
            f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start();
        QCOMPARE(form.Combo1->currentIndex(), interval);
        QCOMPARE(form.Combo2->currentIndex(), category);
        QCOMPARE(form.Combo2->count(), categoryCount);
        QCOMPARE(form.Timer2->tag(), countdown);
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Picture2->isVisibleTo(&form), badge);
        QVERIFY(!form.Label10->isVisibleTo(form.Picture2));
        QCOMPARE(form.CategoryQuery, QString());
        QVERIFY(!form.DownloadRetried);
        QVERIFY(!form.MonthBrowsing);
        // The file is read, never rewritten, at start-up.
        QCOMPARE(f.read("Settings.dat"), settings == "<none>" ? QByteArray("<missing>") : settings);
    }

    void categoryLinesKeptAsWritten()
    {
        FormFixture f;
        f.write("Categories.dat", "Abstract\r\n  Light & Shadow \r\n\r\nLumi\xc3\xa8re\n");
        Form1& form = f.start();
        QStringList items;
        for (int i = 0; i < form.Combo2->count(); ++i)
            items << form.Combo2->itemText(i);
        QCOMPARE(items, QStringList({"All", "My Gallery", "Abstract", "  Light & Shadow ", "", "Lumière"}));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
