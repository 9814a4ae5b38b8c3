#include "ServerThread.h"

#include <QTest>

ServerThread::ServerThread(const QString& libraryPath)
    : m_server(std::make_unique<server::PictureServer>(
          server::PictureServer::Options{libraryPath, 1, std::chrono::hours(1)}))
{
    m_port = m_server->bind("127.0.0.1", 0);
    if (m_port <= 0)
        qFatal("cannot bind a loopback port");
    m_thread = std::thread([this] { m_server->listen(); });
    // listen() marks the server running before it accepts; requests may go out now.
    while (!m_server->isRunning())
        std::this_thread::yield();
}

ServerThread::~ServerThread()
{
    m_server->stop();
    m_thread.join();
}
