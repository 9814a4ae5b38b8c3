// SPDX-License-Identifier: GPL-3.0-or-later
// The wallpaper on each desktop: GNOME through the real gsettings over its keyfile
// backend, Plasma through a stand-in shell on a private bus, Xfce through a stand-in
// xfconf-query; new pictures while the toggle is on; the faults, each of which leaves
// the wallpaper as it was and says why; and the commands in the window's menu.
#include "FaultServer.h"
#include "FormFixture.h"
#include "app/SkinLayout.h"
#include "platform/Http.h"
#include "wallpaper/Wallpaper.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusContext>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
const QString schema = "org.gnome.desktop.background";

QByteArray jpeg(const QColor& colour)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// What the real tool says, trimmed.
QString gsettings(const QStringList& arguments)
{
    QProcess tool;
    tool.start("gsettings", arguments);
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString uriOf(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QStringList pictures(const StateDir& state)
{
    return QDir(state.path("Wallpaper")).entryList({"*.jpg"}, QDir::Files);
}
} // namespace

// Plasma's shell as its scripting call answers: each of two screens prints the image
// the script wrote (else its old one); refused while the widgets are locked.
class FakePlasmaShell : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    QStringList scripts;
    bool locked = false;

public slots:
    QString evaluateScript(const QString& script)
    {
        scripts << script;
        if (locked) {
            sendErrorReply(QDBusError::Failed, "Widgets are locked");
            return {};
        }
        static const QRegularExpression written("var image = \\[\"([^\"]*)\"\\]");
        const QRegularExpressionMatch match = written.match(script);
        const QString image = match.hasMatch() ? match.captured(1) : "file:///old.png";
        return image + "\n" + image + "\n";
    }
};

class TestWallpaper : public QObject
{
    Q_OBJECT
    QProcess m_bus;
    FakePlasmaShell m_shell;
    QTemporaryDir m_config; // the keyfile backend's XDG_CONFIG_HOME
    FaultServer m_server;
    platform::Http m_http;
    QByteArray m_path;

    PictureRecord record(int n) const
    {
        PictureRecord r{"http://127.0.0.1/picture/" + QString::number(n),
                        m_server.url("/pictures/p" + QByteArray::number(n) + ".jpg").toString(),
                        QString::number(n),
                        "Abstract",
                        {}};
        r.credits.title = "Dawn " + QString::number(n);
        return r;
    }
    std::unique_ptr<Wallpaper> make(const StateDir& state, const QString& desktop,
                                    std::chrono::milliseconds limit = 5s,
                                    QSize screen = {1920, 1080})
    {
        return std::make_unique<Wallpaper>(Wallpaper::Options{state.dir.path(),
                                                              [screen] { return screen; }, desktop,
                                                              false, limit},
                                           m_http);
    }
    // The outcome of what `act` starts.
    static QString outcomeOf(Wallpaper& wallpaper, const std::function<void()>& act)
    {
        QSignalSpy outcome(&wallpaper, &Wallpaper::outcome);
        act();
        if (outcome.isEmpty())
            outcome.wait(20000);
        return outcome.value(0).value(0).toString();
    }

private slots:
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY(m_bus.waitForReadyRead(5000));
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address); // before the session bus is first used
        QDBusConnection fake = QDBusConnection::connectToBus(QString::fromUtf8(address), "fake");
        QVERIFY(fake.registerService("org.kde.plasmashell"));
        QVERIFY(fake.registerObject("/PlasmaShell", &m_shell, QDBusConnection::ExportAllSlots));
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        for (int n = 1; n <= 3; ++n)
            m_server.route(
                "/pictures/p" + QByteArray::number(n) + ".jpg",
                {.contentType = "image/jpeg", .body = jpeg(QColor::fromHsv(n * 90, 200, 200))});
        m_path = qgetenv("PATH");
    }
    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
    }
    void cleanup() { qputenv("PATH", m_path); }

    // Both URIs point at the new file, fetched at the screen's size with its record
    // beside it; "Restore" puts back what GNOME showed before.
    void gnome()
    {
        StateDir state;
        const auto wallpaper = make(state, "ubuntu:GNOME");
        const QStringList keys{"picture-uri", "picture-uri-dark", "picture-options"};
        QStringList before;
        for (const QString& key : keys)
            before << gsettings({"get", schema, key});
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->set(record(1)); }), "Wallpaper set");
        QCOMPARE(m_server.requests().last().target, "/pictures/p1.jpg?w=1920&h=1080");
        QCOMPARE(pictures(state).size(), 1);
        const QString file = state.path("Wallpaper/" + pictures(state).first());
        QCOMPARE(gsettings({"get", schema, "picture-uri"}), "'" + uriOf(file) + "'");
        QCOMPARE(gsettings({"get", schema, "picture-uri-dark"}), "'" + uriOf(file) + "'");
        QCOMPARE(gsettings({"get", schema, "picture-options"}), "'zoom'");
        QVERIFY(
            state.read("Wallpaper/" + pictures(state).first() + ".dat").contains("Title: Dawn 1"));
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->restore(); }), "Wallpaper restored");
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(gsettings({"get", schema, keys.at(i)}), before.at(i));
    }

    // On from Wallpaper.dat written before the start: each new picture becomes the
    // wallpaper (while metered, once it is not), the current and previous files stay;
    // off, none does.
    void toggle()
    {
        StateDir state;
        state.write("Wallpaper.dat", "1\n");
        const auto wallpaper = make(state, "GNOME");
        QVERIFY(wallpaper->follows());
        QSignalSpy changes(wallpaper.get(), &Wallpaper::changed);
        for (int n = 1; n <= 3; ++n) {
            wallpaper->setMetered(n == 3);
            wallpaper->newPicture(record(n));
            QTRY_COMPARE_WITH_TIMEOUT(changes.size(), n - (n == 3), 20000);
        }
        wallpaper->setMetered(false);
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 3, 20000);
        QCOMPARE(gsettings({"get", schema, "picture-uri"}),
                 "'" + uriOf(changes.last().first().toString()) + "'");
        QCOMPARE(pictures(state).size(), 2);
        wallpaper->follow(false);
        QVERIFY(state.read("Wallpaper.dat").startsWith("0\r\n"));
        const qsizetype requests = m_server.requests().size();
        wallpaper->newPicture(record(1));
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->set(record(2)); }), "Wallpaper set");
        QCOMPARE(m_server.requests().size(), requests + 1);
        QCOMPARE(changes.size(), 4);
    }

    void plasma_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("every screen set") << false << "Wallpaper set";
        QTest::newRow("widgets locked")
            << true
            << "Wallpaper not set: Plasma's widgets are locked; unlock them (right click "
               "on the desktop) and try again";
    }
    void plasma()
    {
        QFETCH(bool, locked);
        m_shell.locked = locked;
        m_shell.scripts.clear();
        StateDir state;
        const auto wallpaper = make(state, "KDE");
        QTEST(outcomeOf(*wallpaper, [&] { wallpaper->set(record(1)); }), "outcome");
        QCOMPARE(pictures(state).size(), locked ? 0 : 1);
        QCOMPARE(m_shell.scripts.size(), locked ? 1 : 2); // the read, then the set
        if (locked)
            return;
        const QString set = m_shell.scripts.value(1);
        QVERIFY(set.contains(uriOf(state.path("Wallpaper/" + pictures(state).first()))));
        QVERIFY(set.contains("d.writeConfig('FillMode', 2)"));
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->restore(); }), "Wallpaper restored");
        QVERIFY(m_shell.scripts.last().contains("[\"file:///old.png\",\"file:///old.png\"]"));
    }

    // Every monitor's every workspace, and nothing else, shows the file; then the old ones.
    void xfce()
    {
        StateDir store; // the stand-in's properties, "/" written "%"
        qputenv("XFCONF_STORE", store.dir.path().toUtf8());
        qputenv("PATH", ARTCAL_FAKE_TOOLS ":" + m_path);
        const auto key = [](QString property) { return property.replace('/', '%'); };
        QStringList properties;
        for (const QString monitor : {"monitorHDMI-1", "monitoreDP-1"})
            for (const QString workspace : {"workspace0", "workspace1"})
                properties << "/backdrop/screen0/" + monitor + "/" + workspace + "/last-image";
        for (const QString& property : properties)
            store.write(key(property), "/old/" + property.section('/', 3, 4).toUtf8() + ".png\n");
        const QString style = "/backdrop/screen0/monitorHDMI-1/workspace0/image-style";
        store.write(key(style), "5\n");
        StateDir state;
        const auto wallpaper = make(state, "XFCE");
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->set(record(2)); }), "Wallpaper set");
        for (const QString& property : properties)
            QCOMPARE(store.read(key(property)),
                     state.path("Wallpaper/" + pictures(state).first()).toUtf8() + "\n");
        QCOMPARE(store.read(key(style)), "5\n");
        QCOMPARE(outcomeOf(*wallpaper, [&] { wallpaper->restore(); }), "Wallpaper restored");
        QCOMPARE(store.read(key(properties.last())), "/old/monitoreDP-1/workspace1.png\n");
    }

    // Each fault leaves no new file and the wallpaper as it was, and says why.
    void faults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("tool"); // the stand-in gsettings; empty: none on PATH
        QTest::addColumn<QString>("outcome");
        const QByteArray fine = "exit 0";
        QTest::newRow("tool missing") << "" << QByteArray() << "gsettings is not installed";
        QTest::newRow("tool hangs")
            << "" << QByteArray("exec /bin/sleep 60") << "gsettings did not answer within 0.3 s";
        QTest::newRow("tool fails") << "" << QByteArray("echo 'No such schema' >&2; exit 1")
                                    << "gsettings failed: No such schema";
        QTest::newRow("read-back differs")
            << "read-back"
            << QByteArray("[ \"$1\" = get ] && echo \"'file:///elsewhere.jpg'\"; exit 0")
            << "picture-uri reads 'file:///elsewhere.jpg' after it was set";
        QTest::newRow("no screen") << "no screen" << fine << "there is no screen to size it for";
        QTest::newRow("state folder takes no file") << "state" << fine << "cannot write in";
        QTest::newRow("metered") << "metered" << fine << "the connection is metered";
        QTest::newRow("offline") << "offline" << fine << "the computer is offline";
    }
    void faults()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, tool);
        QFETCH(QString, outcome);
        QTemporaryDir bin;
        qputenv("PATH", bin.path().toUtf8());
        if (!tool.isEmpty()) {
            QFile script(bin.filePath("gsettings"));
            QVERIFY(script.open(QIODevice::WriteOnly) &&
                    script.write("#!/bin/sh\n" + tool + "\n") > 0);
            script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        }
        StateDir state;
        if (fault == "state")
            state.write("Wallpaper", "a file where the folder would be");
        const auto wallpaper =
            make(state, "GNOME", 300ms, fault == "no screen" ? QSize() : QSize(800, 600));
        wallpaper->setMetered(fault == "metered");
        wallpaper->setOffline(fault == "offline");
        const QString said = outcomeOf(*wallpaper, [&] { wallpaper->set(record(1)); });
        QVERIFY2(said.startsWith("Wallpaper not set: ") && said.contains(outcome),
                 qPrintable(said));
        QCOMPARE(pictures(state), QStringList());
        // What the desktop showed was read, and kept, before the set that failed.
        QCOMPARE(state.read("Wallpaper.dat").startsWith("0\r\nGNOME\t"), fault == "read-back");
    }

    // The three commands in the menu: usable with a picture on a desktop artcal knows,
    // else disabled with the reason as their tooltip; the outcome is in the picture's
    // tooltip.
    void commands_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QString>("why"); // empty: usable
        QTest::newRow("a picture on GNOME") << true << QByteArray("GNOME") << "";
        QTest::newRow("the placeholder")
            << false << QByteArray("GNOME") << "There is no picture of the day yet";
        QTest::newRow("an unknown desktop")
            << true << QByteArray("sway") << "artcal cannot set the wallpaper on this desktop";
    }
    void commands()
    {
        QFETCH(bool, picture);
        QFETCH(QByteArray, desktop);
        QFETCH(QString, why);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        FormFixture f;
        if (picture) {
            f.writePicture("image.jpg", Qt::red);
            f.write("image.jpg.dat", record(3).toLines().join("\r\n").toUtf8());
        }
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mousePress(form.windowHandle(), Qt::RightButton, {}, SkinLayout::picture.center());
        auto* menu = form.findChild<QMenu*>();
        QVERIFY(menu);
        QList<QAction*> commands = menu->actions();
        commands.removeIf([](QAction* action) { return !action->text().contains("wallpaper"); });
        QStringList texts;
        for (QAction* action : commands) {
            texts << action->text();
            QCOMPARE(action->isEnabled(), why.isEmpty());
            QCOMPARE(action->toolTip(), why.isEmpty() ? action->text().remove('&') : why);
        }
        QCOMPARE(texts, QStringList({"Set as &wallpaper", "New pictures &become the wallpaper",
                                     "Restore &my wallpaper"}));
        if (why.isEmpty()) {
            commands.first()->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(f.ui().Image1->toolTip().contains("Wallpaper set"), 20000);
        }
        delete menu;
    }
};

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
