#pragma once

#include "CurrentPictures.h"
#include "HttpServer.h"
#include "LibraryStore.h"
#include "RandomPicker.h"
#include "RequestRoute.h"
#include "ThumbnailCache.h"

#include <chrono>

namespace server {

// The picture server: the widget's protocol and the pages over one library folder,
// on cpp-httplib's thread pool. Answers GET and HEAD only.
class PictureServer
{
public:
    struct Options
    {
        QString libraryPath;
        quint32 seed = 0;
        std::chrono::milliseconds rescanInterval = std::chrono::seconds(2);
        // Each keep-alive connection holds a worker while it is open; this many clients
        // stay connected at once before a new one has to wait.
        size_t threads = 64;
    };

    explicit PictureServer(const Options& options);
    PictureServer(const PictureServer&) = delete;
    PictureServer& operator=(const PictureServer&) = delete;

    // Binds to `address`; port 0 picks a free one. Returns the port, or -1.
    int bind(const QString& address, int port);
    // Serves until stop(); false when the bound socket could not be served.
    bool listen();
    void stop();
    bool isRunning() const { return m_http.is_running(); }

    LibraryStore& libraryStore() { return m_library; }

private:
    void handle(const httplib::Request& request, httplib::Response& response);
    void serveRandomPick(const RequestRoute& route, const httplib::Request& request,
                         httplib::Response& response);
    void serveCurrentRecord(const httplib::Request& request, httplib::Response& response);
    void serveGallery(const RequestRoute& route, httplib::Response& response);
    void serveWeather(httplib::Response& response);
    void servePictureFile(const Picture& picture, httplib::Response& response);
    void serveThumbnail(const Picture& picture, httplib::Response& response);

    LibraryStore m_library;
    CurrentPictures m_currentPictures;
    RandomPicker m_random;
    ThumbnailCache m_thumbnails;
    HttpServer m_http;
};

} // namespace server
