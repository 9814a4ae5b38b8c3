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

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {
const QDateTime longAgo(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);

QString baseOf(int port)
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

QStringList items(const QComboBox& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.itemText(i);
    return texts;
}

// How a server that does not know the categories question may answer it.
FaultServer::Answer strangeAnswer(const QString& kind)
{
    if (kind == "404")
        return {.status = 404, .contentType = "text/html", .body = "<html>Not Found</html>"};
    if (kind == "page")
        return {.contentType = "text/html", .body = "<html><body>Abstract</body></html>"};
    if (kind == "page as text")
        return {.body = "\r\n<!DOCTYPE html>\r\n<p>Abstract</p>\r\n"};
    if (kind == "binary")
        return {.contentType = "application/octet-stream", .body = QByteArray("PK\x03\x04\0\0", 6)};
    if (kind == "not UTF-8")
        return {.body = "Abstract\r\nCaf\xe9\r\n"};
    if (kind == "over 64 KiB") {
        QByteArray names;
        for (int i = 0; names.size() <= 64 * 1024; ++i)
            names += "Category " + QByteArray::number(i) + "\r\n";
        return {.body = names};
    }
    return {.body = ""}; // empty
}
} // namespace

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

    // At start the widget asks the picture server for its categories: a list that differs
    // replaces Categories.dat, and the saved category keeps its name; one that does not
    // leaves the file untouched. A chosen category the server no longer has gives way to
    // "All", and the picture's status says so. An answer that is no list leaves all as it is.
    void serverCategories_data()
    {
        QTest::addColumn<QString>("server"); // "artcal-server", else how it answers
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("saved");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("said");
        const QByteArray list = "Abstract\r\nFractals\r\nPatterns\r\n";
        QTest::newRow("new category") << "artcal-server" << QByteArray("Abstract\r\nPatterns\r\n")
                                      << 3 << list << 4 << "Patterns"
                                      << "";
        QTest::newRow("same list, LF ends")
            << "artcal-server" << QByteArray("Abstract\nFractals\nPatterns") << 2 << QByteArray()
            << 2 << "Abstract"
            << "";
        QTest::newRow("chosen category gone")
            << "artcal-server" << QByteArray("Landscapes\r\nAbstract\r\n") << 2 << list << 0
            << "All"
            << "no longer has the category Landscapes: pictures now come from All";
        for (const char* kind :
             {"404", "page", "page as text", "binary", "not UTF-8", "empty", "over 64 KiB"})
            QTest::newRow(kind) << kind << QByteArray("Abstract\r\nLandscapes\r\n") << 3
                                << QByteArray() << 3 << "Landscapes"
                                << "";
    }
    void serverCategories()
    {
        QFETCH(QString, server);
        QFETCH(QByteArray, before);
        QFETCH(int, chosen);
        QFETCH(QByteArray, after);
        QFETCH(int, saved);
        QFETCH(QString, current);
        QFETCH(QString, said);
        TestLibrary library;
        for (const char* category : {"Patterns", "Abstract", "Fractals"})
            library.addPicture(category, "p.jpg");
        std::optional<ServerThread> artcalServer;
        FaultServer fault;
        fault.route("/calender/categories.dat", strangeAnswer(server));
        QString base = fault.url("").toString();
        if (server == "artcal-server")
            base = baseOf(artcalServer.emplace(library.path()).port());

        FormFixture f;
        f.write("Settings.dat", " 1 \r\n " + QByteArray::number(chosen) + " \r\n");
        f.write("Categories.dat", before);
        QFile file(f.path("Categories.dat"));
        QVERIFY(file.open(QIODevice::Append) &&
                file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        file.close();
        f.writePicture("image.jpg", Qt::red); // a picture that is current: no refresh
        Form1& form = f.start(base);
        QSignalSpy ended(&form.settingsPanel().serverCategories(), &ServerCategories::ended);
        form.show(); // the first frame asks
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 20000);

        QCOMPARE(f.read("Categories.dat"), after.isEmpty() ? before : after);
        QCOMPARE(QFileInfo(file).lastModified() == longAgo, after.isEmpty());
        QCOMPARE(f.read("Settings.dat"), " 1 \r\n " + QByteArray::number(saved) + " \r\n");
        const QStringList offered = QString::fromUtf8(after.isEmpty() ? before : after)
                                        .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
        QCOMPARE(items(*f.ui().Combo2), QStringList({"All", "My Gallery"}) + offered);
        QCOMPARE(f.ui().Combo2->currentText(), current);
        const QString status = f.ui().Image1->accessibleDescription();
        QVERIFY2(said.isEmpty() ? !status.contains("no longer") : status.contains(said),
                 qPrintable(status));
    }

    // A category added to the server's library reaches the list, even while the panel is
    // open, with the first refresh an hour after the server last answered; the refreshes
    // before ask nothing.
    void newCategoryReachesTheList()
    {
        TestLibrary library;
        library.addPicture("Abstract", "a.jpg");
        ServerThread server(library.path());
        FormFixture f;
        f.write("Settings.dat", " 1 \r\n 2 \r\n");
        f.write("Categories.dat", "Abstract\r\n");
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start(baseOf(server.port()));
        QSignalSpy asked(&form.settingsPanel().serverCategories(), &ServerCategories::ended);
        form.show();
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 20000);
        form.settingsPanel().Label5_Click();
        library.addPicture("Fractals", "f.jpg");
        server.rescan();

        for (const qint64 later : {qint64(0), qint64(0), ServerCategories::intervalMs}) {
            // Had the refresh before asked, its answer would be in by now.
            QCOMPARE(asked.size(), 1);
            f.clock.monotonic += later;
            QSignalSpy refreshed(&form.cycle(), &PictureCycle::refreshed);
            form.cycle().refreshNow();
            QTRY_COMPARE_WITH_TIMEOUT(refreshed.size(), 1, 20000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 20000);
        QVERIFY(form.settingsPanel().isOpen());
        QCOMPARE(items(*f.ui().Combo2), QStringList({"All", "My Gallery", "Abstract", "Fractals"}));
        QCOMPARE(f.ui().Combo2->currentText(), "Abstract");
        QCOMPARE(f.read("Categories.dat"), "Abstract\r\nFractals\r\n");
    }
};

QTEST_MAIN(TestSettingsPanel)
#include "tst_settingspanel.moc"
