// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CreditsCache.h"
#include "CurrentPictures.h"
#include "HtmlPages.h"
#include "HttpServer.h"
#include "LibraryStore.h"
#include "RandomPicker.h"
#include "RequestRoute.h"
#include "ScaledPictures.h"
#include "ThumbnailCache.h"

#include <chrono>

namespace server {

// The picture server: the widget's protocol and the pages over one library folder.
// Answers GET and HEAD only.
class PictureServer
{
public:
    struct Options
    {
        QString libraryPath;
        quint32 seed = 0;
        std::chrono::milliseconds rescanInterval = std::chrono::seconds(2);
        QByteArray pickKey; // signs the pick cookies; at least 16 bytes
        // Pictures scaled to the sizes they are shown at are kept here; empty: none are.
        QString scaledFolder = {};
        qint64 scaledCapacity = 256 * 1024 * 1024;
        // Requests from this address speak for the client X-Forwarded-For names last.
        std::string trustedProxy = {};
        HttpServer::Limits limits = {};
    };

    explicit PictureServer(const Options& options);

    int bind(const QString& address, int port, QString* problem = nullptr)
    {
        return m_http.bind(address, port, problem);
    }
    bool listen() { return m_http.listen(); }
    void stop() { m_http.stop(); }
    bool isRunning() const { return m_http.isRunning(); }

    LibraryStore& libraryStore() { return m_library; }

private:
    void handle(const HttpRequest& request, HttpResponse& response);
    void serveRandomPick(const RequestRoute& route, const HttpRequest& request,
                         HttpResponse& response);
    // A picture's page, file or thumbnail.
    void servePicture(const RequestRoute& route, const HttpRequest& request,
                      HttpResponse& response);
    void serveCurrentRecord(const HttpRequest& request, HttpResponse& response);
    void serveGallery(const RequestRoute& route, HttpResponse& response);
    void serveCategories(HttpResponse& response);
    void serveWeather(HttpResponse& response);
    void servePictureFile(const Picture& picture, QSize shownSize, const HttpRequest& request,
                          HttpResponse& response);
    void serveThumbnail(const Picture& picture, const HttpRequest& request, HttpResponse& response);
    // Has `decode` answer the request on a worker thread, if it is a GET and its turn comes.
    void deferDecode(const Picture& picture, const HttpRequest& request, HttpResponse& response,
                     std::function<void(HttpResponse&)> decode);
    std::string clientOf(const HttpRequest& request) const;
    HtmlPages::CreditsOf creditsOf();

    const QByteArray m_pickKey;
    const std::string m_trustedProxy;
    LibraryStore m_library;
    CreditsCache m_credits;
    CurrentPictures m_currentPictures;
    RandomPicker m_random;
    ThumbnailCache m_thumbnails;
    ScaledPictures m_scaled;
    HttpServer m_http;
};

} // namespace server
