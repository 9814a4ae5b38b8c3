// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PictureServer.h"

#include <QTemporaryDir>

#include <thread>

// A real artcal-server, in-process, on 127.0.0.1 and a port the system picks, served
// from a thread of its own until the object is destroyed. Seed 1; the library is read
// once, at the start. Scaled pictures go to a temporary folder unless `scaledFolder`.
class ServerThread
{
public:
    explicit ServerThread(const QString& libraryPath, const server::HttpServer::Limits& limits = {},
                          const QString& scaledFolder = {})
        : m_server({.libraryPath = libraryPath,
                    .seed = 1,
                    .rescanInterval = std::chrono::hours(1),
                    .pickKey = QByteArray(32, 'k'),
                    .scaledFolder = scaledFolder.isEmpty() ? m_cache.path() : scaledFolder,
                    .limits = limits}),
          m_port(m_server.bind("127.0.0.1", 0)), m_thread([this] { m_server.listen(); })
    {
        if (m_port <= 0)
            qFatal("cannot bind a loopback port");
        // listen() marks the server running before it accepts; requests may go out now.
        while (!m_server.isRunning())
            std::this_thread::yield();
    }
    ~ServerThread()
    {
        m_server.stop();
        m_thread.join();
    }
    int port() const { return m_port; }
    // Reads the library again now, as a server notices a change within seconds.
    void rescan() { m_server.libraryStore().rescan(); }

private:
    QTemporaryDir m_cache; // the scaled pictures
    server::PictureServer m_server;
    const int m_port;
    std::thread m_thread;
};
