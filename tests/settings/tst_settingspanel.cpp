// SPDX-License-Identifier: GPL-3.0-or-later
// The settings panel: where it opens, and closing it, which saves the choices and hands
// them to the picture cycle, even when the file cannot be written; the categories it
// offers, which follow the picture server's.
#include "FaultServer.h"
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "PictureCycleProbe.h"
#include "ServerThread.h"
#include "TestLibrary.h"
#include "app/SkinLayout.h"
#include "state/TextLines.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QDateTime longAgo(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);

QStringList items(const QComboBox& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.itemText(i);
    return texts;
}

// Starts the widget on `base` with the placeholder and runs the timer's first tick: the
// refresh due at once asks for the categories when it ends. The spy sees each answer.
std::unique_ptr<QSignalSpy> startAsking(FormFixture& f, const QString& base)
{
    Form1& form = f.start(base);
    auto asked = std::make_unique<QSignalSpy>(&form.settingsPanel().serverCategories(),
                                              &ServerCategories::ended);
    form.cycle().Timer2_Timer();
    return asked;
}
} // namespace

Q_DECLARE_METATYPE(FaultServer::Answer)

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

    // The first refresh asks the picture server for its categories: a list that differs
    // replaces Categories.dat and the saved category keeps its name; the same list leaves
    // the file untouched. A chosen category the server no longer has gives way to "All",
    // and the picture's status says so. An answer that is no list changes nothing.
    void serverCategories_data()
    {
        QTest::addColumn<FaultServer::Answer>("answer"); // status 0: artcal-server's own
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QByteArray>("after"); // empty: the file untouched
        QTest::addColumn<int>("saved");
        const FaultServer::Answer artcal{.status = 0};
        const QByteArray list = "Abstract\r\nFractals\r\nPatterns\r\n";
        const QByteArray kept = "Abstract\r\nLandscapes\r\n";
        QTest::newRow("new category")
            << artcal << QByteArray("Abstract\r\nPatterns\r\n") << 3 << list << 4;
        QTest::newRow("same list, LF ends")
            << artcal << QByteArray("Abstract\nFractals\nPatterns") << 2 << QByteArray() << 2;
        QTest::newRow("chosen category gone") << artcal << kept << 3 << list << 0;
        QByteArray many;
        for (int i = 0; many.size() <= 64 * 1024; ++i)
            many += "Category " + QByteArray::number(i) + "\r\n";
        const std::pair<const char*, FaultServer::Answer> strange[] = {
            {"404", {.status = 404, .contentType = "text/html", .body = "<p>Not Found</p>"}},
            {"page", {.contentType = "text/html", .body = "<p>Abstract</p>"}},
            {"page as text", {.body = "\r\n<!DOCTYPE html>\r\n<p>Abstract</p>\r\n"}},
            {"binary", {.contentType = "application/octet-stream", .body = {"PK\x03\x04\0", 5}}},
            {"not UTF-8", {.body = "Abstract\r\nCaf\xe9\r\n"}},
            {"empty", {}},
            {"over 64 KiB", {.body = many}}};
        for (const auto& [name, answer] : strange)
            QTest::newRow(name) << answer << kept << 3 << QByteArray() << 3;
    }
    void serverCategories()
    {
        QFETCH(FaultServer::Answer, answer);
        QFETCH(QByteArray, before);
        QFETCH(int, chosen);
        QFETCH(QByteArray, after);
        QFETCH(int, saved);
        TestLibrary library;
        for (const char* category : {"Patterns", "Abstract", "Fractals"})
            library.addPicture(category, "p.jpg");
        std::optional<ServerThread> artcal;
        FaultServer fault;
        fault.route("/calender/categories.dat", answer);
        const QUrl base = answer.status
                              ? fault.url("")
                              : QUrl("http://127.0.0.1:" +
                                     QString::number(artcal.emplace(library.path()).port()));
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n " + QByteArray::number(chosen) + " \r\n");
        f.write("Categories.dat", before);
        QFile file(f.path("Categories.dat"));
        QVERIFY(file.open(QIODevice::Append) &&
                file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        const auto asked = startAsking(f, base.toString());
        QTRY_COMPARE_WITH_TIMEOUT(asked->size(), 1, 20000);

        const QByteArray now = after.isEmpty() ? before : after;
        QCOMPARE(f.read("Categories.dat"), now);
        QCOMPARE(QFileInfo(file).lastModified() == longAgo, after.isEmpty());
        QCOMPARE(f.read("Settings.dat"), " 1 \r\n " + QByteArray::number(saved) + " \r\n");
        QCOMPARE(items(*f.ui().Combo2), QStringList({"All", "My Gallery"}) + TextLines::split(now));
        QCOMPARE(f.ui().Combo2->currentIndex(), saved);
        QCOMPARE(f.ui().Image1->accessibleDescription().contains(
                     "Picture server " + base.toString() +
                     " no longer has the category Landscapes: pictures now come from All"),
                 chosen > 1 && saved == 0);
    }

    // A category added to the server's library reaches the list while the panel is open,
    // with the first refresh an hour after the server last answered; those before ask nothing.
    void newCategoryReachesTheList()
    {
        TestLibrary library;
        library.addPicture("Abstract", "a.jpg");
        ServerThread server(library.path());
        FormFixture f;
        f.write("Categories.dat", "Abstract\r\n");
        const auto asked = startAsking(f, "http://127.0.0.1:" + QString::number(server.port()));
        QTRY_COMPARE_WITH_TIMEOUT(asked->size(), 1, 20000);
        f.form->settingsPanel().Label5_Click();
        library.addPicture("Fractals", "f.jpg");
        server.rescan();
        for (const qint64 later : {qint64(0), qint64(0), ServerCategories::intervalMs}) {
            QCOMPARE(asked->size(), 1); // an answer to the refresh before would be in by now
            f.clock.monotonic += later;
            QSignalSpy ended(&f.form->cycle(), &PictureCycle::ended);
            f.form->cycle().refreshNow();
            QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(items(*f.ui().Combo2),
                                  QStringList({"All", "My Gallery", "Abstract", "Fractals"}),
                                  20000);
        QVERIFY(f.form->settingsPanel().isOpen());
        // An hour on, opening the panel asks too, with no refresh.
        QCOMPARE(asked->size(), 2);
        library.addPicture("Gardens", "g.jpg");
        server.rescan();
        f.clock.monotonic += ServerCategories::intervalMs;
        f.form->settingsPanel().Label5_Click();
        QTRY_COMPARE_WITH_TIMEOUT(items(*f.ui().Combo2).last(), QString("Gardens"), 20000);
    }
};

QTEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
