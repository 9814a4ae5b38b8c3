// SPDX-License-Identifier: GPL-3.0-or-later
// A picture server gone wrong, for the hard checks: it listens on 127.0.0.1 and answers
// with a status line followed by header lines that never end, as fast as the client
// takes them, for as long as it runs.
//   artcal-bench-flood PORT [PICTURE_URL]
// Without PICTURE_URL every answer floods. With it, it plays a picture server whose
// first picture answer (/calender/curpic.dat) floods: the random pick answers at once,
// and later picture answers name PICTURE_URL. With PORT 0 the system picks one. The
// port is printed on stdout once it listens, then a line for each request it answers.

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = false;
    const uint port = args.size() >= 2 && args.size() <= 3 ? args[1].toUInt(&ok) : 0;
    if (!ok || port > 65535) {
        std::fprintf(stderr, "usage: artcal-bench-flood PORT [PICTURE_URL]\n");
        return 2;
    }
    const QByteArray pictureUrl = args.value(2).toUtf8();
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, quint16(port))) {
        std::fprintf(stderr, "artcal-bench-flood: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);

    const QByteArray line = "X-Flood: " + QByteArray(100, 'a') + "\r\n";
    const QByteArray batch = line.repeated(64 * 1024 / line.size());
    int pictureAnswers = 0;
    // What a request for `path` gets; empty for the flood.
    const auto answerFor = [&](const QByteArray& path) -> QByteArray {
        if (pictureUrl.isEmpty())
            return {};
        QByteArray body;
        if (path.startsWith("/calender/queryrandompic.php"))
            body = "<html>picked</html>";
        else if (path == "/calender/curpic.dat" && pictureAnswers++ > 0)
            body = "http://127.0.0.1/picture/1\n" + pictureUrl + "\n1\nGood";
        else
            return {};
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    };
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, batch, answerFor] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // The answer starts once the request line came.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, batch, answerFor] {
                if (!socket->canReadLine())
                    return;
                QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
                const QByteArray path = socket->readLine().split(' ').value(1);
                const QByteArray answer = answerFor(path);
                std::printf("%s %s\n", path.constData(), answer.isEmpty() ? "flood" : "answered");
                std::fflush(stdout);
                if (!answer.isEmpty()) {
                    socket->write(answer);
                    socket->disconnectFromHost();
                    return;
                }
                // Topped up as it drains, so each connection holds one batch here at most.
                QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, batch] {
                    if (socket->bytesToWrite() == 0)
                        socket->write(batch);
                });
                socket->write("HTTP/1.1 200 OK\r\n" + batch);
            });
        }
    });
    return QCoreApplication::exec();
}
