// SPDX-License-Identifier: GPL-3.0-or-later
// The settings panel: where it opens, and closing it, which saves the choices and hands
// them to the picture cycle, even when the file cannot be written.
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "PictureCycleProbe.h"
#include "app/SkinLayout.h"

#include <QTest>

class TestSettingsPanel : public QObject
{
    Q_OBJECT
private slots:
    // Settings.dat held " 1 \r\n 0 \r\n"; `saved` is what it holds after the close.
    void close_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<bool>("badge");
        QTest::newRow("My Gallery") << 2 << 1 << false << QByteArray(" 2 \r\n 1 \r\n") << true;
        QTest::newRow("a category") << 4 << 3 << false << QByteArray(" 4 \r\n 3 \r\n") << false;
        QTest::newRow("no selection") << -1 << -1 << false << QByteArray("-1 \r\n-1 \r\n") << false;
        QTest::newRow("full disk") << 3 << 1 << true << QByteArray(" 1 \r\n 0 \r\n") << true;
    }
    void close()
    {
        QFETCH(int, interval);
        QFETCH(int, source);
        QFETCH(bool, diskFull);
        QFETCH(QByteArray, saved);
        QFETCH(bool, badge);
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n 0 \r\n");
        f.write("Categories.dat", "Abstract\r\nFractals\r\n");
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start();
        form.settingsPanel().Label5_Click();
        QCOMPARE(f.ui().Settings->pos(), SkinLayout::settingsShown);
        // On top of the whole calendar, day labels and today's marker included.
        QVERIFY(f.ui().Settings->geometry().contains(SkinLayout::calendar));
        QCOMPARE(form.childAt(SkinLayout::calendar.topLeft()), f.ui().Settings);
        f.ui().Combo1->setCurrentIndex(interval);
        f.ui().Combo2->setCurrentIndex(source);
        {
            const FileSizeLimit limit(diskFull ? 0 : RLIM_INFINITY);
            form.settingsPanel().Label1_Click();
        }
        QCOMPARE(f.read("Settings.dat"), saved);
        QVERIFY(!f.ui().Settings->isVisibleTo(&form));
        QCOMPARE(f.ui().Picture2->isVisibleTo(&form), badge); // the box over "Add to My Gallery"
        // From 15 minutes to none: the next tick brings a picture.
        QCOMPARE(PictureCycleProbe::refreshTimer(form.cycle()).tag(), QString("0"));
    }
};

QTEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
