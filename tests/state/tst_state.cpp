// SPDX-License-Identifier: GPL-3.0-or-later
// The state files on disk, where they live, and the desktop entry that starts the
// widget at login on its state folder.
#include "FileSizeLimit.h"
#include "FormFixture.h"
#include "platform/Autostart.h"
#include "settings/SettingsFile.h"
#include "state/CalendarList.h"
#include "state/PictureHistory.h"
#include "state/PicturePair.h"
#include "state/PictureRecord.h"
#include "state/StateFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

// Puts at `name` these bytes, or nothing (""), a folder ("<folder>") or a FIFO ("<fifo>").
static void place(const FormFixture& f, const QString& name, const QByteArray& what)
{
    const QString path = f.path(name);
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).path());
    if (what == "<folder>")
        QDir().mkpath(path);
    else if (what == "<fifo>")
        mkfifo(QFile::encodeName(path), 0600);
    else if (!what.isEmpty())
        f.write(name, what);
}

// Runs a program to its end: its status (-1 when it did not start or crashed) and all it
// wrote, both streams.
static std::pair<int, QByteArray> run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, process.readAll() + process.errorString().toUtf8()};
    return {process.exitCode(), process.readAll()};
}

// A python3 that reads desktop entries with GLib's own code (python3-gi), empty when
// none here can: the first on PATH may be a version manager's, without Debian's modules.
static QString glibPython()
{
    static const QString found = [] {
        for (const QString& python :
             {QStandardPaths::findExecutable("python3"), QString("/usr/bin/python3")})
            if (!python.isEmpty() && run(python, {ARTCAL_DESKTOP_ENTRY_PY, "--probe"}).first == 0)
                return python;
        return QString();
    }();
    return found;
}

class TestState : public QObject
{
    Q_OBJECT
private slots:
    // Lines end in CR LF, LF or a lone CR; only a plain file up to 1 MiB is read. A choice is
    // 16-bit, in its list (here 40000 intervals, 4 categories) or -1; else its default (1, 0).
    void load_data()
    {
        QTest::addColumn<QByteArray>("what");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("category");
        const QByteArray lines = " 4 \r\n 2 \r\n";
        QTest::newRow("crlf") << lines << 4 << 2;
        QTest::newRow("lf, none, 16-bit top") << QByteArray("32767\n-1") << 32767 << -1;
        QTest::newRow("lone cr, plus sign") << QByteArray("+4\r2\r") << 4 << 2;
        QTest::newRow("cr cr lf is two ends") << QByteArray("4\r\r\n2") << 4 << 0;
        QTest::newRow("bom at start") << QByteArray("\xef\xbb\xbf\x34\n\xef\xbb\xbf\x32") << 4 << 0;
        QTest::newRow("tab is not a space") << QByteArray("\t3\r\n  2  ") << 1 << 2;
        QTest::newRow("past 16 bits, past the list") << QByteArray("32768\r\n 4 ") << 1 << 0;
        QTest::newRow("past int, below none") << QByteArray("99999999999\r\n-2") << 1 << 0;
        QTest::newRow("1 MiB") << lines.leftJustified(1 << 20, 'x') << 4 << 2;
        QTest::newRow("past 1 MiB") << lines.leftJustified((1 << 20) + 1, 'x') << 1 << 0;
        QTest::newRow("missing") << QByteArray() << 1 << 0;
        QTest::newRow("fifo") << QByteArray("<fifo>") << 1 << 0;
        QTest::newRow("folder") << QByteArray("<folder>") << 1 << 0;
        QTest::newRow("not UTF-8") << QByteArray("\xff\x80") << 1 << 0;
    }
    void load()
    {
        QFETCH(QByteArray, what);
        QFETCH(int, interval);
        QFETCH(int, category);
        FormFixture f;
        place(f, "Settings.dat", what);
        const SettingsFile::Choices choices = SettingsFile::load(f.path("Settings.dat"), 40000, 4);
        QCOMPARE(QList({choices.interval, choices.category}), QList({interval, category}));
    }

    // CR LF ends every line, the last too. A full disk leaves the old file as it was.
    void save_data()
    {
        QTest::addColumn<int>("diskRoom"); // bytes a file may grow to; 0: no limit
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("saved") << 0 << QByteArray(" 3 \r\n-1 \r\n");
        QTest::newRow("full disk") << 8 << QByteArray("old\r\n");
    }
    void save()
    {
        QFETCH(int, diskRoom);
        QFETCH(QByteArray, onDisk);
        FormFixture f;
        f.write("Settings.dat", "old\r\n");
        auto full = diskRoom ? std::make_unique<FileSizeLimit>(diskRoom) : nullptr;
        QCOMPARE(SettingsFile::save(f.path("Settings.dat"), {3, -1}), !diskRoom);
        full.reset();
        QCOMPARE(f.read("Settings.dat"), onDisk);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"Settings.dat"});
    }

    // Installed in share/, run from bin/; only a chosen user folder is seeded, never over a file.
    void stateFolder_data()
    {
        QTest::addColumn<QString>("option"); // --data-dir
        QTest::addColumn<bool>("portable");  // bin/ holds a Settings.dat
        QTest::addColumn<QString>("chosen"); // empty: an error says why
        QTest::newRow("option wins") << "share" << true << "share";
        QTest::newRow("option not a folder") << "share/Settings.dat" << false << "";
        QTest::newRow("portable") << "" << true << "bin";
        QTest::newRow("user folder") << "" << false << "user";
    }
    void stateFolder()
    {
        QFETCH(QString, option);
        QFETCH(bool, portable);
        QFETCH(QString, chosen);
        FormFixture f;
        place(f, "share/Settings.dat", " 4 ");
        place(f, "share/Categories.dat", "c");
        place(f, "bin/Settings.dat", portable ? " 0 " : "");
        place(f, "user/Settings.dat", " 1 ");
        StateFolder::Places where{
            {}, f.path("bin"), f.path("user"), {f.path("nowhere"), f.path("share")}};
        if (!option.isEmpty())
            where.dataDirOption = f.path(option);
        QString error;
        QCOMPARE(StateFolder::resolve(where, &error), chosen.isEmpty() ? "" : f.path(chosen));
        QCOMPARE(error.isEmpty(), !chosen.isEmpty());
        QCOMPARE(f.read("user/Settings.dat"), " 1 ");
        QCOMPARE(f.read("user/Categories.dat"), chosen == "user" ? "c" : "<missing>");
    }

    // A kill at any step of putting a new picture in place, then a start: the picture and
    // its record match, old or new, and nothing of the install is left over; an install
    // that ran to its end leaves nothing over without that start. A record that cannot
    // be written, or put in place, leaves the old pair and no marker.
    void picturePair_data()
    {
        using Step = PicturePair::Step;
        QTest::addColumn<int>("killedAfter"); // a Step; -1: not killed
        QTest::addColumn<QString>("folder");  // a folder in the way, if any
        QTest::addColumn<QString>("pair");
        const auto row = [](const char* name, int killedAfter, const char* folder,
                            const char* pair) {
            QTest::newRow(name) << killedAfter << QString(folder) << QString(pair);
        };
        row("record written", int(Step::RecordWritten), "", "old");
        row("committed", int(Step::Committed), "", "new");
        row("picture moved", int(Step::PictureMoved), "", "new");
        row("record moved", int(Step::RecordMoved), "", "new");
        row("done", -1, "", "new");
        row("record not writable", -1, "image.jpg.dat.new", "old");
        row("record's place a folder", -1, "image.jpg.dat", "old");
    }
    void picturePair()
    {
        QFETCH(int, killedAfter);
        QFETCH(QString, folder);
        QFETCH(QString, pair);
        StateDir f;
        f.write("image.jpg", "old picture");
        f.write("image.jpg.Ab12Cd.download", "new picture");
        if (!folder.isEmpty())
            QDir().mkpath(f.path(folder));
        const bool recordMade = folder != "image.jpg.dat";
        if (recordMade)
            f.write("image.jpg.dat", "old\r\n");
        QString error;
        const bool done =
            PicturePair::replace(f.dir.path(), f.path("image.jpg.Ab12Cd.download"), {"new"}, &error,
                                 [&](PicturePair::Step step) { return int(step) == killedAfter; });
        QCOMPARE(done, folder.isEmpty());
        if (killedAfter >= 0)
            PicturePair::recover(f.dir.path()); // the next start
        QCOMPARE(f.read("image.jpg") + f.read("image.jpg.dat"),
                 (pair + " picture" + (recordMade ? pair + "\r\n" : "<missing>")).toUtf8());
        QStringList left = {"image.jpg"};
        if (recordMade)
            left << "image.jpg.dat";
        if (pair == "old") // the download, which the installer removes at start-up
            left.insert(1, "image.jpg.Ab12Cd.download");
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), left);
    }

    // Installs an hour apart: 600 (25 days) keep every picture of the last 7 days and
    // each older day's last, copies of the newest 50 only; long records keep the file
    // within 1 MiB. A step back lands on the picture before, also after a start. Two
    // years on, only the new one is left. A cut file reads as a shorter history, without
    // copies nothing names; one empty, binary or too big is set aside in place of an
    // older one, and the copies stay while it is kept.
    void historyBounds_data()
    {
        QTest::addColumn<int>("installs");
        QTest::addColumn<int>("pageChars");
        QTest::addColumn<QByteArray>("damage"); // the file's new bytes, or "cut"; null: none
        QTest::addColumn<int>("entries");       // read back; -1: fewer than installed
        QTest::newRow("600 installs") << 600 << 10 << QByteArray() << 209;
        QTest::newRow("past 1 MiB") << 100 << 20000 << QByteArray() << -1;
        QTest::newRow("cut") << 30 << 10 << QByteArray("cut") << 29;
        QTest::newRow("empty") << 30 << 10 << QByteArray("") << 0;
        QTest::newRow("binary") << 30 << 10 << QByteArray("\0\xff\x01{\"at\"", 7) << 0;
        QTest::newRow("too big") << 30 << 10 << QByteArray(PictureHistory::maxFileBytes + 1, '\n')
                                 << 0;
    }
    void historyBounds()
    {
        QFETCH(int, installs);
        QFETCH(int, pageChars);
        QFETCH(QByteArray, damage);
        QFETCH(int, entries);
        StateDir f;
        f.write("pic.jpg", QByteArray(100 * 1024, 'p'));
        const QDateTime start(QDate(2026, 1, 1), QTime(0, 30));
        const auto shown = [](const PictureHistory& h) {
            return h.entries().value(h.cursor()).record.pictureUrl.section('/', -1);
        };
        {
            PictureHistory history(f.dir.path());
            for (int i = 0; i < installs; ++i)
                history.add(
                    {QString(pageChars, 'p'), QString("http://h/%1.jpg").arg(i), "", "", {}},
                    start.addSecs(i * 3600), f.path("pic.jpg"));
            QCOMPARE(shown(history), QString("%1.jpg").arg(installs - 1));
            history.show(history.cursor() - 1);
            QCOMPARE(shown(history), QString("%1.jpg").arg(installs - 2));
        }
        const QByteArray file = f.read("History.json");
        QVERIFY(file.size() <= PictureHistory::maxFileBytes);
        if (damage == "cut")
            f.write("History.json", file.chopped(20));
        else if (!damage.isNull())
            f.write("History.json", damage);
        if (entries == 0)
            f.write("History.json.unreadable", "older");
        PictureHistory history(f.dir.path());
        QVERIFY(entries < 0 ? history.entries().size() < installs
                            : history.entries().size() == entries);
        QCOMPARE(f.read("History.json.unreadable"), entries == 0 ? damage : "<missing>");
        if (entries != 0)
            QCOMPARE(shown(history), QString("%1.jpg").arg(installs - 2));
        int named = 0; // copies that entries name, at most 50
        for (int i = 0; i < history.entries().size(); ++i)
            named += !history.copyPath(i).isEmpty();
        QCOMPARE(named, std::min(int(history.entries().size()), PictureHistory::maxCopies));
        const auto copies = [&f] { return QDir(f.path("History")).entryList(QDir::Files).size(); };
        QCOMPARE(copies(), entries == 0 ? installs : named);
        history.add({}, start.addYears(2).addDays(30), f.path("pic.jpg"));
        QCOMPARE(history.entries().size(), 1);
        PictureHistory{f.dir.path()}; // a start
        QCOMPARE(copies(), entries == 0 ? installs + 1 : 1);
    }

    // The history deletes only copies it made: a stray copy of its own goes at start, but a
    // "History" that held the user's files, or links to the user's folder, keeps every
    // file through a start, an install and "Clear history"; the history keeps no copies.
    void historyOwnFiles_data()
    {
        QTest::addColumn<QStringList>("files"); // under "History/" ("user/" when a link)
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("copiesKept"); // after the start and the install
        QTest::newRow("its own") << QStringList{"0123.jpg"} << false << 1;
        QTest::newRow("user's files")
            << QStringList{"notes.txt", "1.jpg", "sub/2.jpg"} << false << 0;
        QTest::newRow("a link") << QStringList{"3.jpg", "photo.png", "sub/4.jpg"} << true << 0;
    }
    void historyOwnFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, linked);
        QFETCH(int, copiesKept);
        StateDir f;
        const QString folder = linked ? "user" : "History";
        for (const QString& name : files) {
            QDir().mkpath(QFileInfo(f.path(folder + "/" + name)).path());
            f.write(folder + "/" + name, name.toUtf8());
        }
        if (linked)
            QVERIFY(QFile::link(f.path("user"), f.path("History")));
        f.write("pic.jpg", "picture");
        const auto held = [&f] { return QDir(f.path("History")).entryList(QDir::Files).size(); };
        const qsizetype before = held();
        PictureHistory history(f.dir.path());
        history.add({}, QDateTime(QDate(2026, 1, 1), QTime(9, 0)), f.path("pic.jpg"));
        QCOMPARE(held(), copiesKept ? copiesKept : before);
        QCOMPARE(history.copyPath(0).isEmpty(), copiesKept == 0);
        history.clear();
        for (const QString& name : files)
            QCOMPARE(f.read(folder + "/" + name), copiesKept ? "<missing>" : name.toUtf8());
        QCOMPARE(QFileInfo(f.path("History")).exists(), copiesKept == 0);
    }

    // A credit value stays one line of at most 300 bytes of UTF-8, whatever it held, so a
    // record keeps its four lines first and a line per credit after them, read back in
    // any order, through lines, JSON and the picture tag alike.
    void credits_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("plain") << "Water Lilies"
                               << "Water Lilies";
        QTest::newRow("line breaks") << " a\nTitle: b\r\u2028c\t"
                                     << "a Title: b  c";
        QTest::newRow("controls") << QString("x\x01\x1b\x7f\u0085y") << "x    y";
        QTest::newRow("tag separator, escapes") << "a!?!b %21 % !"
                                                << "a!?!b %21 % !";
        QTest::newRow("long ASCII") << QString(400, 'a') << QString(300, 'a');
        QTest::newRow("cut inside a character")
            << "a" + QString(200, QChar(0xe9)) << "a" + QString(149, QChar(0xe9));
        QTest::newRow("cut inside a pair") << "ab" + QString("\U0001F3A8").repeated(80)
                                           << "ab" + QString("\U0001F3A8").repeated(74);
    }
    void credits()
    {
        QFETCH(QString, value);
        QFETCH(QString, cleaned);
        QCOMPARE(PictureCredits::clean(value), cleaned);
        PictureRecord record{"p", "u", "1", "c", {}};
        for (const auto& field : PictureCredits::fields)
            record.credits.*field.value = value;
        const QStringList lines = record.toLines();
        QCOMPARE(lines.size(), 4 + 7);
        QCOMPARE(lines.mid(0, 4), QStringList({"p", "u", "1", "c"}));
        QCOMPARE(lines[4], "Title: " + cleaned);
        QStringList shuffled = lines.mid(4);
        std::reverse(shuffled.begin(), shuffled.end());
        const PictureRecord read = PictureRecord::fromLines(lines.mid(0, 4) + shuffled);
        QCOMPARE(read, PictureRecord::fromLines(lines));
        QCOMPARE(read.credits.credit, cleaned);
        QCOMPARE(PictureCredits::fromJson(read.credits.toJson()), read.credits);
        QCOMPARE(PictureRecord::fromTag(read.toTag()), read);
        QCOMPARE(PictureRecord::fromLines(lines.mid(0, 4)).credits, PictureCredits{});
    }

    // "Start at login" with every shape of path a hostile-input run tried (in the
    // program's path too): GLib reads the entry back to exactly the program and its
    // options, and launching it runs just that program with them; desktop-file-validate
    // finds nothing wrong. A line break or another control character is refused: no
    // entry is written, one already there stays as it was, and nothing runs.
    void autostart_data()
    {
        QTest::addColumn<QString>("path");   // --data-dir; "@tmp" is the test's folder
        QTest::addColumn<QString>("server"); // --server
        QTest::addColumn<bool>("written");
        const auto row = [](const char* name, const QString& path, bool written = true) {
            QTest::newRow(name) << path << "http://127.0.0.1:8642" << written;
        };
        row("plain", "/home/u/.local/share/artcal");
        row("quotes", "/home/u/a\"b\" it's");
        row("dollar, asterisk, equals", "/home/u/$HOME${x}/*/a=b");
        row("shell operators", "/home/u/`touch @tmp/injected`;touch @tmp/injected && a|b");
        row("backslash", "/home/u/a\\b\\\\c\\");
        row("percent", "/home/u/100%d %% %u %");
        row("tilde", "~/state");
        row("unicode", "/home/u/Été 日本 🖼");
        row("hash", "#/home/u/a #b");
        row("leading dash", "-rf");
        row("tab", "/home/u/a\tb\t");
        row("spaces at the ends", " /home/u/a ");
        row("backslash n and Exec=", "/home/u/a\\nExec=touch @tmp/injected");
        row("newline and Exec=", "/home/u/a\nExec=touch @tmp/injected", false);
        row("carriage return", "/home/u/a\rExec=touch @tmp/injected", false);
        row("escape", "/home/u/a\x1b[2Jb", false);
        row("delete", "/home/u/a\x7f", false);
        QTest::newRow("server: percent, dollar") << "/home/u/a"
                                                 << "http://h:8642/p%41th$x" << true;
        QTest::newRow("server: newline and Exec=")
            << "/home/u/a"
            << "http://h/\nExec=touch @tmp/injected" << false;
    }
    void autostart()
    {
        QFETCH(QString, path);
        QFETCH(QString, server);
        QFETCH(bool, written);
        FormFixture f;
        qputenv("XDG_CONFIG_HOME", f.path("config").toUtf8());
        const auto unset = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
        const QStringList arguments{"--data-dir", path.replace("@tmp", f.dir.path()), "--server",
                                    server.replace("@tmp", f.dir.path())};
        // The program writes down what it is started with. Its name has the path's shape
        // but no "%": GLib 2.74 looks the program up before it undoes the Exec key's "%%".
        const QString name = "bin/" + QString(path).replace(u'/', u'_').remove(u'%');
        const QString program = f.path(name);
        QDir().mkpath(f.path("bin"));
        f.write(name, "#!/bin/sh\nfor w in \"$0\" \"$@\"; do printf '%s\\0' \"$w\"; done "
                      ">\"$ARTCAL_RECORD\"\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        const QString entry = "config/autostart/artcal.desktop";
        QString error;
        QCOMPARE(platform::Autostart::enable(program, arguments, &error), written);
        QCOMPARE(QFile::exists(f.path(entry)), written);
        QDir().mkpath(f.path("config/autostart"));
        f.write(entry, "old");
        QCOMPARE(platform::Autostart::enable(program, arguments, &error), written);
        QCOMPARE(QDir(f.path("config/autostart")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"artcal.desktop"});
        if (!written) {
            QVERIFY2(error.contains("control character"), qPrintable(error));
            QCOMPARE(f.read(entry), "old");
            QVERIFY(platform::Autostart::execLine(program, arguments).isEmpty());
            return;
        }
        // One line a key, each key once: no word made a line, an Exec key, of its own.
        QStringList keys;
        for (const QByteArray& line : f.read(entry).split('\n'))
            keys << QString(line).section(u'=', 0, 0);
        QCOMPARE(keys, QStringList({"[Desktop Entry]", "Type", "Name", "Comment", "Icon", "TryExec",
                                    "Exec", "X-GNOME-Autostart-enabled", ""}));
        const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validate.isEmpty(), "no desktop-file-validate: scripts/setup-deps installs it");
        const auto [valid, findings] = run(validate, {f.path(entry)});
        QVERIFY2(valid == 0 && findings.isEmpty(), findings.constData());

        if (glibPython().isEmpty())
            QSKIP("python3-gi is absent, so GLib cannot read the entry back: "
                  "scripts/setup-deps installs it");
        const auto [status, out] =
            run(glibPython(), {ARTCAL_DESKTOP_ENTRY_PY, f.path(entry), f.path("record")});
        const QJsonObject read = QJsonDocument::fromJson(out).object();
        const QStringList expected = QStringList{program} + arguments;
        QVERIFY2(status == 0 && read["tryexec"] == program &&
                     read["argv"].toVariant().toStringList() == expected &&
                     read["launched"].toVariant().toStringList() == expected,
                 out.constData());
        QVERIFY(!QFile::exists(f.path("injected")));
    }

    // Calendars.dat as a person or a script may write it: any line end; lines that name
    // no calendar are skipped. Written back with CR LF, readable by its owner alone.
    void calendarList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("read"); // kind|name|source
        const QStringList both = {"events|Work|/home/a/work.ics",
                                  "holidays|Public|webcal://h.example/de.ics?k=s"};
        QTest::newRow("CR LF") << QByteArray("events\tWork\t/home/a/work.ics\r\n"
                                             "holidays\tPublic\twebcal://h.example/de.ics?k=s\r\n")
                               << both;
        QTest::newRow("LF, lone CR, no last end")
            << QByteArray("events\tWork\t/home/a/work.ics\r"
                          "holidays\tPublic\twebcal://h.example/de.ics?k=s")
            << both;
        QTest::newRow("not calendars")
            << QByteArray("todos\tA\t/a.ics\nevents\tB\trelative.ics\nevents\tC\tftp://h/c.ics\n"
                          "events\tD\t/d.ics\textra\nevents\tE\n\nevents\t\t/e.ics\n")
            << QStringList{"events||/e.ics"};
    }
    void calendarList()
    {
        QFETCH(QByteArray, bytes);
        StateDir state;
        state.write("Calendars.dat", bytes);
        QStringList read;
        const QList<CalendarList::Entry> entries = CalendarList::read(state.path("Calendars.dat"));
        for (const CalendarList::Entry& e : entries)
            read << CalendarList::kindName(e.kind) + "|" + e.name + "|" + e.source;
        QTEST(read, "read");
        QVERIFY(CalendarList::write(state.path("Calendars.dat"), entries));
        QCOMPARE(CalendarList::read(state.path("Calendars.dat")), entries);
        QVERIFY(state.read("Calendars.dat").endsWith(entries.isEmpty() ? "" : "\r\n"));
        QCOMPARE(QFileInfo(state.path("Calendars.dat")).permissions() & 0x0777,
                 QFile::ReadUser | QFile::WriteUser);
    }
};

QTEST_MAIN(TestState)
#include "tst_state.moc"
