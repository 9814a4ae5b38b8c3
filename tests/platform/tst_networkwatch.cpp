// SPDX-License-Identifier: GPL-3.0-or-later
// NetworkWatch against a stand-in NetworkManager on a private bus of its own: what it
// makes of the state and metered values it finds at the start and of their changes.
#include "platform/NetworkWatch.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Changes = QList<QVariantMap>;

namespace {
const QString service = u"org.freedesktop.NetworkManager"_s;
const QString path = u"/org/freedesktop/NetworkManager"_s;
const QString properties = u"org.freedesktop.DBus.Properties"_s;
constexpr uint online = 70, local = 50, connecting = 40, disconnected = 20; // NMState
constexpr uint yes = 1, no = 2, guessYes = 3, guessNo = 4;                  // NMMetered
} // namespace

// The two properties, as NetworkManager exports them; `reads` tells that it was asked.
class FakeNetworkManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(uint State READ state)
    Q_PROPERTY(uint Metered MEMBER metered)
public:
    uint state() const
    {
        ++reads;
        return m_state;
    }
    uint m_state = 0, metered = 0;
    mutable int reads = 0;
};

class TestNetworkWatch : public QObject
{
    Q_OBJECT
    QProcess m_daemon;
    FakeNetworkManager m_fake;

private slots:
    void initTestCase()
    {
        m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        QVERIFY(m_daemon.waitForReadyRead(5000));
        const QByteArray address = m_daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address); // before the session bus is first used
        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(address), u"fake"_s);
        QVERIFY(bus.registerService(service));
        QVERIFY(bus.registerObject(path, &m_fake, QDBusConnection::ExportAllProperties));
    }
    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    void reports_data()
    {
        QTest::addColumn<uint>("state");
        QTest::addColumn<uint>("metered");
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<int>("improved");
        QTest::addColumn<QList<bool>>("meteredChanges");
        QTest::addColumn<QList<bool>>("offlineChanges");
        const auto state = [](uint s) { return QVariantMap{{u"State"_s, s}}; };
        const auto metered = [](uint m) { return QVariantMap{{u"Metered"_s, m}}; };
        QTest::newRow("online, nothing changes")
            << online << no << Changes{} << 0 << QList<bool>{} << QList<bool>{};
        QTest::newRow("metered from the start")
            << online << yes << Changes{} << 0 << QList{true} << QList<bool>{};
        QTest::newRow("guessed metered, then guessed not")
            << online << guessYes << Changes{metered(guessNo), metered(no)} << 0
            << QList{true, false} << QList<bool>{};
        QTest::newRow("becomes metered")
            << online << no << Changes{metered(yes)} << 0 << QList{true} << QList<bool>{};
        QTest::newRow("back online, through connecting")
            << disconnected << no << Changes{state(connecting), state(online)} << 1 << QList<bool>{}
            << QList{true, false};
        QTest::newRow("a local network, then online")
            << disconnected << no << Changes{state(local), state(online)} << 2 << QList<bool>{}
            << QList{true, false};
        QTest::newRow("down is no improvement, up again is")
            << online << no << Changes{state(disconnected), state(online)} << 1 << QList<bool>{}
            << QList{true, false};
    }
    void reports()
    {
        QFETCH(uint, state);
        QFETCH(uint, metered);
        QFETCH(Changes, changes);
        QFETCH(int, improved);
        QFETCH(QList<bool>, meteredChanges);
        QFETCH(QList<bool>, offlineChanges);
        m_fake.m_state = state;
        m_fake.metered = metered;
        m_fake.reads = 0;
        platform::NetworkWatch watch(QDBusConnection::SessionBus);
        QSignalSpy improvedSpy(&watch, &platform::NetworkWatch::improved);
        QSignalSpy meteredSpy(&watch, &platform::NetworkWatch::meteredChanged);
        QSignalSpy offlineSpy(&watch, &platform::NetworkWatch::offlineChanged);
        QTRY_VERIFY(m_fake.reads > 0); // its answer is on the way, before what follows
        QDBusConnection fake(u"fake"_s);
        for (const QVariantMap& change : changes) {
            QDBusMessage signal =
                QDBusMessage::createSignal(path, properties, u"PropertiesChanged"_s);
            signal << service << change << QStringList();
            QVERIFY(fake.send(signal));
        }
        // An answer from the stand-in arrives after all it sent before: then all is told.
        QDBusMessage ask = QDBusMessage::createMethodCall(service, path, properties, u"GetAll"_s);
        QDBusPendingCallWatcher asked(QDBusConnection::sessionBus().asyncCall(ask << service));
        QSignalSpy answered(&asked, &QDBusPendingCallWatcher::finished);
        QTRY_COMPARE(answered.count(), 1);
        QCOMPARE(improvedSpy.count(), improved);
        const auto reported = [](const QSignalSpy& spy) {
            QList<bool> values;
            for (const QList<QVariant>& args : spy)
                values << args.at(0).toBool();
            return values;
        };
        QCOMPARE(reported(meteredSpy), meteredChanges);
        QCOMPARE(reported(offlineSpy), offlineChanges);
    }
};

QTEST_GUILESS_MAIN(TestNetworkWatch)
#include "tst_networkwatch.moc"
