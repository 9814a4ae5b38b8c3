#pragma once

#include "PictureServer.h"

#include <memory>
#include <thread>

// A real artcal-server, in-process, on 127.0.0.1 and a port the system picks, served
// from a thread of its own until the object is destroyed.
class ServerThread
{
public:
    // Seed 1; the library is rescanned only when asked.
    explicit ServerThread(const QString& libraryPath);
    ~ServerThread();

    int port() const { return m_port; }
    server::PictureServer& server() { return *m_server; }

private:
    std::unique_ptr<server::PictureServer> m_server;
    int m_port = -1;
    std::thread m_thread;
};
