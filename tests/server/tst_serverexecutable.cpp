// The artcal-server executable as a user or a script runs it.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

class TestServerExecutable : public QObject
{
    Q_OBJECT
private slots:
    void demoServesTheWidgetExchange();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void busyPortIsReported();
};

namespace {

// Starts the server and reads the port from the line it prints once it listens.
int startServer(QProcess& process, const QStringList& arguments)
{
    process.start(ARTCAL_SERVER, arguments);
    // Painting the demo library comes first; under sanitizers that takes a while.
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < 120000 &&
           process.state() != QProcess::NotRunning)
        process.waitForReadyRead(1000);
    const QByteArray line = process.readLine().trimmed();
    const QByteArray prefix = "artcal-server listening on http://127.0.0.1:";
    if (!line.startsWith(prefix))
        return -1;
    return line.mid(prefix.size()).toInt();
}

} // namespace

void TestServerExecutable::demoServesTheWidgetExchange()
{
    QTemporaryDir dir;
    const QString library = dir.filePath("library");
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const int port =
        startServer(process, {"--demo", "--port", "0", "--library", library, "--seed", "5"});
    QVERIFY(port > 0);

    httplib::Client client("127.0.0.1", port);
    QCOMPARE(client.Get("/calender/curpic.dat")->body, "-1");
    QCOMPARE(client.Get("/calender/queryrandompic.php?category=Light%20%26%20Shadow")->status, 200);
    const QList<QByteArray> record =
        QByteArray::fromStdString(client.Get("/calender/curpic.dat")->body).split('\n');
    QCOMPARE(record.size(), 4);
    QCOMPARE(record[3], "Light & Shadow");
    const QByteArray path = record[1].mid(record[1].indexOf('/', 7));
    const auto picture = client.Get(path.toStdString());
    QVERIFY(picture);
    QImage image;
    QVERIFY(image.loadFromData(QByteArray::fromStdString(picture->body), "JPEG"));

    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestServerExecutable::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("port too large") << QStringList({"--port", "70000"});
    QTest::newRow("seed not a number") << QStringList({"--seed", "x"});
    QTest::newRow("unknown option") << QStringList({"--colour"});
}

void TestServerExecutable::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QProcess process;
    process.start(ARTCAL_SERVER, arguments << "--library" << dir.path());
    QVERIFY(process.waitForFinished(30000));
    QVERIFY(process.exitCode() != 0);
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

void TestServerExecutable::busyPortIsReported()
{
    QTemporaryDir dir;
    QProcess first;
    const int port = startServer(first, {"--port", "0", "--library", dir.path()});
    QVERIFY(port > 0);
    QProcess second;
    second.start(ARTCAL_SERVER, {"--port", QString::number(port), "--library", dir.path()});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("cannot listen"));
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestServerExecutable)
#include "tst_serverexecutable.moc"
