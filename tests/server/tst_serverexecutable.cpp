// SPDX-License-Identifier: GPL-3.0-or-later
// The artcal-server executable as a user or a script runs it: its command line, the demo
// library, the key it makes, the signals that stop it, and what keeps it from starting.
#include "RawHttp.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {

// Starts the server with its key and scaled pictures in `dir`, never in the user's
// folders. The last value of an option counts: `arguments` come after the defaults.
void start(QProcess& process, const QTemporaryDir& dir, const QStringList& arguments)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dir.filePath("data"));
    environment.insert("XDG_CACHE_HOME", dir.filePath("cache"));
    process.setProcessEnvironment(environment);
    process.start(ARTCAL_SERVER,
                  QStringList{"--port", "0", "--library", dir.filePath("library")} + arguments);
}

// Reads the server's output into `output` until it listens; its port, or 0.
quint16 listeningPort(QProcess& process, QByteArray& output)
{
    // Painting the demo library comes first; under sanitizers that takes a while.
    while (!output.contains("listening on") && process.waitForReadyRead(120000))
        output += process.readAll();
    const QByteArray listening = "listening on http://127.0.0.1:";
    return output.mid(output.indexOf(listening) + listening.size()).split('\n')[0].toUShort();
}

} // namespace

class TestServerExecutable : public QObject
{
    Q_OBJECT
private slots:
    void run_data();
    void run();
    void capPerAddress_data();
    void capPerAddress();
};

void TestServerExecutable::run_data()
{
    // Stand-ins: "BUSY" a port in use, "FILE" a plain file, "USED" a folder that holds one.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signal"); // sent once it listens; 0: it ends by itself
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("said"); // in its output
    QTest::addColumn<int>("idle");        // keep-alive connections left open at the signal
    const auto row = [](const char* name, const QStringList& arguments, int signal, int exitCode,
                        const char* said, int idle = 0) {
        QTest::newRow(name) << arguments << signal << exitCode << QByteArray(said) << idle;
    };
    row("demo creates the library", {"--demo"}, SIGTERM, 0, "has 30 pictures in 5 categories");
    row("demo leaves a folder in use alone", {"--demo", "--library", "USED"}, SIGINT, 0,
        "has 0 pictures");
    row("no demo, stops with idle connections open", {"--library", "USED"}, SIGHUP, 0,
        "has 0 pictures", 10);
    row("no library folder", {}, 0, 1, "no library folder");
    row("help", {"--help", "--port", "70000"}, 0, 0, "--trust-proxy <address>");
    row("version", {"--version"}, 0, 0, "artcal-server " ARTCAL_VERSION "\n");
    // Mistakes on the command line name what was given, and nothing else.
    row("unknown option", {"--prot", "1"}, 0, 2, "artcal-server: Unknown option 'prot'.\n");
    row("stray argument", {"stray"}, 0, 2, "artcal-server: unexpected argument \"stray\"\n");
    row("port too large", {"--port", "70000"}, 0, 2,
        "artcal-server: --port takes 0 to 65535, not \"70000\"\n");
    row("seed not a number", {"--seed", "x"}, 0, 2,
        "artcal-server: --seed takes a whole number from 0 to 4294967295, not \"x\"\n");
    row("proxy not an address", {"--trust-proxy", "proxy.example"}, 0, 2,
        "artcal-server: --trust-proxy takes an IP address, not \"proxy.example\"\n");
    row("port in use", {"--port", "BUSY", "--library", "USED"}, 0, 1,
        "cannot listen on 127.0.0.1 port BUSY: address already in use");
    row("library is a file", {"--library", "FILE"}, 0, 1, "no library folder");
    row("demo library is a file", {"--demo", "--library", "FILE"}, 0, 1,
        "cannot create the library");
    row("key file is a folder", {"--library", "USED", "--key-file", "USED"}, 0, 1,
        "must be a readable file");
    row("key file others can read", {"--library", "USED", "--key-file", "FILE"}, SIGTERM, 0,
        "can be read by other users");
}

void TestServerExecutable::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, signal);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, said);
    QFETCH(int, idle);
    QTemporaryDir dir;
    QTcpServer busy;
    QFile file(dir.filePath("file"));
    QVERIFY(busy.listen(QHostAddress::LocalHost) && file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(QByteArray(32, 'k')) == 32 &&
            file.setPermissions(QFile::ReadOwner | QFile::ReadOther));
    file.close();
    QVERIFY(QDir(dir.path()).mkpath("used/Mine"));
    said.replace("BUSY", QByteArray::number(busy.serverPort()));
    arguments.replaceInStrings("BUSY", QString::number(busy.serverPort()))
        .replaceInStrings("FILE", file.fileName())
        .replaceInStrings("USED", dir.filePath("used"));

    QProcess process;
    start(process, dir, arguments);
    QByteArray output;
    std::vector<std::unique_ptr<QTcpSocket>> keptAlive;
    QElapsedTimer stopping;
    if (signal) {
        // It is stopped once it answers: a signal between the line and the serving is lost.
        const quint16 port = listeningPort(process, output);
        QVERIFY(rawRequest(port, "/").startsWith("HTTP/1.1 200"));
        // Widgets keep their connection open between requests.
        for (int i = 0; i < idle; ++i) {
            const QByteArray answer = rawRequest(port, "/", "GET", {}, QHostAddress::LocalHost,
                                                 keptAlive.emplace_back(new QTcpSocket).get());
            QVERIFY2(answer.startsWith("HTTP/1.1 200") && !answer.contains("Connection: close"),
                     answer.left(200).constData());
        }
        stopping.start();
        ::kill(pid_t(process.processId()), signal);
    }
    QVERIFY(process.waitForFinished(30000));
    // Waiting for idle connections to time out (10 s) would be a fault; a loaded machine
    // under sanitizers takes well under a second.
    if (idle)
        QVERIFY2(stopping.elapsed() < 5000, qPrintable(QString::number(stopping.elapsed())));
    output += process.readAll();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(output.contains(said), output.constData());
    if (exitCode == 2)
        QVERIFY2(output.contains("\nTry \"artcal-server --help\".\n"), output.constData());
    // A server that ran made its key, for its user alone.
    const QFileInfo key(dir.filePath("data/artcal-server/key"));
    if (signal && !arguments.contains("--key-file"))
        QCOMPARE(key.permissions() & 0x0fff,
                 QFile::ReadUser | QFile::WriteUser); // group, others: none
}

void TestServerExecutable::capPerAddress_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("client"); // opens connections up to the cap, then one more
    QTest::addColumn<bool>("capped");
    const QStringList proxy = {"--trust-proxy", "127.0.0.1"};
    QTest::newRow("a client") << QStringList() << "127.0.0.2" << true;
    QTest::newRow("a client beside the proxy") << proxy << "127.0.0.2" << true;
    QTest::newRow("the proxy") << proxy << "127.0.0.1" << false;
    QTest::newRow("the proxy, named in IPv6")
        << QStringList{"--trust-proxy", "::ffff:127.0.0.1"} << "127.0.0.1" << false;
}

// A client address holds at most 64 open connections, but for a trusted proxy: every
// client behind it comes through it.
void TestServerExecutable::capPerAddress()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, client);
    QFETCH(bool, capped);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("library/Mine"));
    QProcess process;
    start(process, dir, arguments);
    QByteArray output;
    const quint16 port = listeningPort(process, output);
    QVERIFY2(port, output.constData());
    // A new connection that asks for the home page and stays open: true when answered. The
    // answer also tells that the server counts the connection.
    std::vector<std::unique_ptr<QTcpSocket>> open;
    const auto answered = [&] {
        return rawRequest(port, "/", "GET", {}, QHostAddress(client),
                          open.emplace_back(new QTcpSocket).get())
            .startsWith("HTTP/1.1 200");
    };
    for (int i = 0; i < 64; ++i)
        QVERIFY(answered());
    QCOMPARE(answered(), !capped);
    if (capped) {
        // A closed connection gives its place back once the server has seen it go. (Each
        // try opens a connection: QTRY_VERIFY would try once more after a success.)
        open.front()->disconnectFromHost();
        const QDeadlineTimer deadline(10000);
        bool again = false;
        while (!(again = answered()) && !deadline.hasExpired())
            QTest::qWait(50);
        QVERIFY(again);
    }
    process.terminate();
    QVERIFY(process.waitForFinished(30000));
}

QTEST_GUILESS_MAIN(TestServerExecutable)
#include "tst_serverexecutable.moc"
