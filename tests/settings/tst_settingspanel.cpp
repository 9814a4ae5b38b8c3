// The settings panel: opening, saving and applying the choices, the badge, and the
// refresh button.
#include "FaultServer.h"
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "picture/PictureInstaller.h"
#include "settings/SettingsPanel.h"

#include <QSignalSpy>

#include <QTest>

class TestSettingsPanel : public QObject
{
    Q_OBJECT
private slots:
    void openCoversTheCalendar()
    {
        FormFixture f;
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, {200, 380});
        QVERIFY(form.Settings->isVisible());
        QCOMPARE(form.Settings->pos(), QPoint(19, 224));
        // Every point of the calendar, day labels and marker included, is under the panel.
        for (int y = 225; y < 357; y += 7)
            for (int x = 20; x < 216; x += 7) {
                QWidget* hit = form.childAt(x, y);
                QVERIFY2(hit == form.Settings || form.Settings->isAncestorOf(hit), qPrintable(QString("%1,%2").arg(x).arg(y)));
            }
        form.settingsPanel().Label5_Click(); // opening again changes nothing
        QCOMPARE(form.Settings->pos(), QPoint(19, 224));
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, {19 + 183, 224 + 22}); // its close button
        QVERIFY(!form.Settings->isVisible());
        QCOMPARE(form.childAt(100, 300), form.Picture1);
    }

    void closeSavesAndApplies_data()
    {
        QTest::addColumn<bool>("placeholder");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("category");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<bool>("badge");
        QTest::newRow("My Gallery shows the badge") << false << 2 << 1 << QByteArray(" 2 \r\n 1 \r\n") << true;
        QTest::newRow("All hides it") << false << 0 << 0 << QByteArray(" 0 \r\n 0 \r\n") << false;
        QTest::newRow("a category hides it") << false << 4 << 3 << QByteArray(" 4 \r\n 3 \r\n") << false;
        QTest::newRow("no selection") << false << -1 << -1 << QByteArray("-1 \r\n-1 \r\n") << false;
        QTest::newRow("placeholder keeps it, All") << true << 1 << 0 << QByteArray(" 1 \r\n 0 \r\n") << true;
        QTest::newRow("placeholder keeps it, gallery") << true << 1 << 1 << QByteArray(" 1 \r\n 1 \r\n") << true;
    }
    void closeSavesAndApplies()
    {
        QFETCH(bool, placeholder);
        QFETCH(int, interval);
        QFETCH(int, category);
        QFETCH(QByteArray, saved);
        QFETCH(bool, badge);
        FormFixture f;
        f.write("Categories.dat", "Abstract\r\nFractals\r\n");
        if (!placeholder)
            f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start();
        form.CategoryQuery = "?category=Abstract";
        form.Timer2->setTag("150");
        const bool timerRunning = form.Timer2->isActive();
        SettingsPanel& panel = form.settingsPanel();
        panel.Label5_Click();
        form.Combo1->setCurrentIndex(interval);
        form.Combo2->setCurrentIndex(category);
        panel.Label1_Click();
        QCOMPARE(f.read("Settings.dat"), saved);
        QCOMPARE(form.Picture2->isVisibleTo(&form), badge);
        QCOMPARE(form.CategoryQuery, QString());
        QCOMPARE(form.Timer2->tag(), QString("0")); // the next tick refreshes
        QCOMPARE(form.Timer2->isActive(), timerRunning);
        QVERIFY(!form.Settings->isVisibleTo(&form));
        // The next start reads back the same choices.
        f.form.reset();
        Form1& again = f.start();
        QCOMPARE(again.Combo1->currentIndex(), interval);
        QCOMPARE(again.Combo2->currentIndex(), category);
    }

    // A settings file that cannot be written keeps its old content; the choices still
    // apply and the panel closes.
    void closeWhenTheFileCannotBeWritten()
    {
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n 0 \r\n");
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start();
        form.settingsPanel().Label5_Click();
        form.Combo1->setCurrentIndex(3);
        form.Combo2->setCurrentIndex(1);
        {
            const FileSizeLimit full(0);
            form.settingsPanel().Label1_Click();
        }
        QCOMPARE(f.read("Settings.dat"), QByteArray(" 1 \r\n 0 \r\n"));
        QCOMPARE(QDir(f.dir.path()).entryList({"Settings.dat*"}, QDir::Files), QStringList{"Settings.dat"});
        QVERIFY(!form.Settings->isVisibleTo(&form));
        QVERIFY(form.Picture2->isVisibleTo(&form));
        QCOMPARE(form.Timer2->tag(), QString("0"));
        QCOMPARE(form.Combo1->currentIndex(), 3);
    }

    // Manual mode: the refresh button fetches, and the timer stays off afterwards.
    void refreshNowInManualMode()
    {
        FormFixture f;
        FaultServer server;
        QString base = server.url("/").toString();
        base.chop(1);
        QImage green(64, 48, QImage::Format_RGB32);
        green.fill(Qt::green);
        green.save(f.path("green.jpg"));
        server.route("/calender/queryrandompic.php", {.body = "picked"});
        server.route("/calender/curpic.dat", {.body = (base + "/p\n" + base + "/g.jpg\n5\nx").toUtf8()});
        server.route("/g.jpg", {.contentType = "image/jpeg", .bodyFile = f.path("green.jpg")});
        f.write("Settings.dat", " 4 \r\n 0 \r\n");
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start(base);
        form.Timer2->setEnabled(false); // as after the first tick of a manual run
        QSignalSpy ended(&form.installer(), &PictureInstaller::ended);
        form.settingsPanel().Label6_Click();
        QVERIFY(form.Downloading->isVisibleTo(&form));
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QCOMPARE(form.Image1->tag(), base + "/p!?!" + base + "/g.jpg!?!5!?!x");
        QVERIFY(!form.Timer2->isActive());
        QVERIFY(form.Label6->isEnabled());
        QCOMPARE(server.requests().first().path(), QByteArray("/calender/queryrandompic.php"));
    }
};

QTEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
