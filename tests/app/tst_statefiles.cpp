// The state-file codecs: line ends, the settings lines, the picture record, and where
// the state folder is.
#include "FileSizeLimit.h"
#include "app/StateFolder.h"
#include "app/TextLines.h"
#include "picture/PictureRecord.h"
#include "settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestStateFiles : public QObject
{
    Q_OBJECT

    QByteArray readAll(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void splitLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf, edited on Linux") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("no final line end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\n\nb\r\n") << QStringList{"a", "", "", "b"};
        QTest::newRow("cr cr lf is two ends") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("utf-8") << QByteArray("Lumi\xc3\xa8re\r\n") << QStringList{QString::fromUtf8("Lumière")};
        QTest::newRow("byte order mark only at the start")
            << QByteArray("\xef\xbb\xbf" "a\r\n\xef\xbb\xbf" "b") << QStringList{"a", QString(QChar(0xfeff)) + "b"};
    }
    void splitLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(TextLines::split(bytes), lines);
    }

    void writeEndsEveryLineWithCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f.dat");
        QVERIFY(TextLines::write(path, {"a", "", "Lumière"}));
        QCOMPARE(readAll(path), QByteArray("a\r\n\r\nLumi\xc3\xa8re\r\n"));
        QCOMPARE(TextLines::read(path), QStringList({"a", "", "Lumière"}));
    }

    // A full disk must leave the old file as it was.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Categories.dat");
        QVERIFY(TextLines::write(path, {"Abstract"}));
        QString error;
        bool ok = true;
        {
            const FileSizeLimit full(64);
            ok = TextLines::write(path, {QString(100, 'x')}, &error);
        }
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("Abstract\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Categories.dat"});
    }

    void settingsLine_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("line");
        QTest::newRow("zero") << 0 << " 0 ";
        QTest::newRow("three") << 3 << " 3 ";
        QTest::newRow("none") << -1 << "-1 ";
        QTest::newRow("two digits") << 12 << " 12 ";
    }
    void settingsLine()
    {
        QFETCH(int, index);
        QFETCH(QString, line);
        QCOMPARE(SettingsFile::formatLine(index), line);
        QCOMPARE(SettingsFile::parseLine(line), std::optional<int>(index));
    }

    void parseSettingsLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("value"); // -99: not a number
        QTest::newRow("bare") << "2" << 2;
        QTest::newRow("spaces") << "  2   " << 2;
        QTest::newRow("empty") << "" << -99;
        QTest::newRow("word") << "two" << -99;
        QTest::newRow("fraction") << "1.5" << -99;
        QTest::newRow("past 16 bits") << "40000" << -99;
        QTest::newRow("tab is not a space") << "\t1" << -99;
    }
    void parseSettingsLine()
    {
        QFETCH(QString, line);
        QFETCH(int, value);
        QCOMPARE(SettingsFile::parseLine(line), value == -99 ? std::nullopt : std::optional<int>(value));
    }

    void pictureTag_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four fields") << "p!?!u!?!7!?!Fractals" << QStringList{"p", "u", "7", "Fractals"};
        QTest::newRow("no separator") << "http://x/page" << QStringList{"http://x/page", "", "", ""};
        QTest::newRow("leading separator") << "!?!u" << QStringList{"", "u", "", ""};
        QTest::newRow("field holding the separator shifts") << "a!?!b!?!c!?!d!?!e"
                                                            << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
    }
    void pictureTag()
    {
        QFETCH(QString, tag);
        QFETCH(QStringList, fields);
        QCOMPARE(PictureRecord::fromTag(tag).toLines(), fields);
    }

    void recordLines()
    {
        QCOMPARE(PictureRecord::fromLines({"a", "b"}).toLines(), QStringList({"a", "b", "", ""}));
        QCOMPARE(PictureRecord::fromLines({"a", "b", "c", "d", "e"}).toTag(), QString("a!?!b!?!c!?!d"));
    }

    void stateFolder()
    {
        QTemporaryDir root;
        const QString exeDir = root.filePath("bin");
        const QString shared = root.filePath("share/artcal");
        const QString user = root.filePath("home/.local/share/artcal");
        QVERIFY(QDir().mkpath(exeDir) && QDir().mkpath(shared));
        QVERIFY(TextLines::write(shared + "/Settings.dat", {" 4 ", " 0 "}));
        QVERIFY(TextLines::write(shared + "/Categories.dat", {"Abstract"}));
        QString error;

        // Installed: the per-user folder is created and seeded, and later runs keep
        // what the user changed there.
        StateFolder::Places places{{}, exeDir, user, {root.filePath("nowhere"), shared}};
        QCOMPARE(StateFolder::resolve(places, &error), user);
        QCOMPARE(readAll(user + "/Settings.dat"), QByteArray(" 4 \r\n 0 \r\n"));
        QVERIFY(QFileInfo(user + "/MyGallery").isDir());
        QVERIFY(TextLines::write(user + "/Settings.dat", {" 1 ", " 1 "}));
        QCOMPARE(StateFolder::resolve(places, &error), user);
        QCOMPARE(readAll(user + "/Settings.dat"), QByteArray(" 1 \r\n 1 \r\n"));

        // Portable: an executable folder holding Settings.dat keeps its own state.
        QVERIFY(TextLines::write(exeDir + "/Settings.dat", {" 0 ", " 0 "}));
        QCOMPARE(StateFolder::resolve(places, &error), exeDir);

        // The command line wins, and must name a folder.
        places.dataDirOption = shared;
        QCOMPARE(StateFolder::resolve(places, &error), shared);
        places.dataDirOption = root.filePath("missing");
        QVERIFY(StateFolder::resolve(places, &error).isEmpty());
        QVERIFY(error.contains("does not exist"));
        places.dataDirOption = shared + "/Settings.dat";
        QVERIFY(StateFolder::resolve(places, &error).isEmpty());
        QVERIFY(error.contains("not a folder"));
    }
};

QTEST_APPLESS_MAIN(TestStateFiles)
#include "tst_statefiles.moc"
