// A picture server gone wrong, for the hard checks: it listens on 127.0.0.1 and answers
// every request with a status line followed by header lines that never end, as fast as
// the client takes them, for as long as it runs.
//   artcal-bench-flood PORT
// With PORT 0 the system picks one. The port is printed on stdout once it listens.

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = false;
    const uint port = args.size() == 2 ? args[1].toUInt(&ok) : 0;
    if (!ok || port > 65535) {
        std::fprintf(stderr, "usage: artcal-bench-flood PORT\n");
        return 2;
    }
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "artcal-bench-flood: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);

    const QByteArray line = "X-Flood: " + QByteArray(100, 'a') + "\r\n";
    const QByteArray batch = line.repeated(64 * 1024 / line.size());
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, batch] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // Topped up as it drains, so each connection holds one batch here at most.
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, batch] {
                if (socket->bytesToWrite() == 0)
                    socket->write(batch);
            });
            // Whatever the request asks, the answer is the same; it starts once one came.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, batch] {
                QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
                socket->write("HTTP/1.1 200 OK\r\n" + batch);
            });
        }
    });
    return QCoreApplication::exec();
}
