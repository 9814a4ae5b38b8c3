// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureServer.h"

#include "BaseUrl.h"
#include "ByteRange.h"
#include "ClientAddress.h"
#include "HtmlPages.h"
#include "PickCookie.h"
#include "ProtocolPaths.h"
#include "RecordAnswer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace server {

namespace {

using Kind = RequestRoute::Kind;

constexpr qint64 maxWeatherPageSize = 1024 * 1024;

void setHtml(HttpResponse& response, const QByteArray& html, int status = 200)
{
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    response.body = html;
}

void setError(HttpResponse& response, int status, const QString& message)
{
    setHtml(response, HtmlPages::error(status, message), status);
}

// The picture's file, if it still is where the scan found it: a file replaced since by
// a symlink to somewhere else resolves elsewhere and is not served.
bool isStillInPlace(const Picture& picture)
{
    const QFileInfo info(picture.absolutePath);
    return info.isFile() && info.canonicalFilePath() == picture.absolutePath;
}

// A plain file's bytes, or the range of them the request asks for; false when it cannot
// be opened. Sent from the file by the kernel: clients fetching large photos hold no copies.
bool serveFile(const QString& path, const std::string& mimeType, const HttpRequest& request,
               HttpResponse& response)
{
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status = {};
    if (file < 0 || ::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (file >= 0)
            ::close(file);
        return false;
    }
    const qint64 size = status.st_size;
    const ByteRange range = ByteRange::parse(request.header("Range"), size);
    response.setHeader("Accept-Ranges", "bytes");
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        ::close(file);
        setError(response, 416, u"Range Not Satisfiable"_s);
        response.setHeader("Content-Range", "bytes */" + std::to_string(size));
        return true;
    }
    response.contentType = mimeType;
    response.file = file;
    response.fileOffset = range.first;
    response.fileLength = range.kind == ByteRange::Kind::Part ? range.length : size;
    if (range.kind == ByteRange::Kind::Part) {
        response.status = 206;
        response.setHeader("Content-Range", "bytes " + std::to_string(range.first) + '-' +
                                                std::to_string(range.first + range.length - 1) +
                                                '/' + std::to_string(size));
    }
    return true;
}

// The picture's own file, whole or the range asked for.
void serveWhole(const Picture& picture, const HttpRequest& request, HttpResponse& response)
{
    if (!serveFile(picture.absolutePath, picture.mimeType().toStdString(), request, response))
        setError(response, 404, u"No Such Picture"_s);
}

void setThumbnail(const QByteArray& jpeg, HttpResponse& response)
{
    if (jpeg.isEmpty())
        return setError(response, 404, u"No Such Picture"_s);
    response.contentType = "image/jpeg";
    response.body = jpeg;
    response.setHeader("Cache-Control", "max-age=300");
}

// A picture of `candidates` at random, but none of the client's `recent` ones among them,
// as long as one is left: it is not given one of its last min(maxRecent, n - 1) pictures
// of n again, so one picture comes every time, and two take turns.
const Picture* pickAvoiding(QList<const Picture*> candidates, const std::vector<quint64>& recent,
                            RandomPicker& random)
{
    for (const quint64 id : recent) {
        if (candidates.size() <= 1)
            break;
        candidates.removeIf([id](const Picture* picture) { return picture->id == id; });
    }
    return candidates.isEmpty() ? nullptr : candidates[random.pick(candidates.size())];
}

} // namespace

PictureServer::PictureServer(const Options& options)
    : m_pickKey(options.pickKey), m_trustedProxy(options.trustedProxy),
      m_library(options.libraryPath, options.rescanInterval), m_credits(options.libraryPath),
      m_random(options.seed), m_scaled(options.scaledFolder, options.scaledCapacity),
      m_http(
          [this](const HttpRequest& request, HttpResponse& response) { handle(request, response); },
          options.limits)
{
}

void PictureServer::handle(const HttpRequest& request, HttpResponse& response)
{
    if (request.method != "GET" && request.method != "HEAD") {
        setError(response, 405, u"Method Not Allowed"_s);
        response.setHeader("Allow", "GET, HEAD");
        // Whatever body follows is never read as a request.
        response.setHeader("Connection", "close");
        return;
    }
    const RequestRoute route = RequestRoute::fromTarget(request.target);
    switch (route.kind) {
    case Kind::BadRequest:
        return setError(response, 400, u"Bad Request"_s);
    case Kind::NotFound:
        return setError(response, 404, u"Not Found"_s);
    case Kind::GalleryTooLong:
        return setError(response, 414,
                        u"Too many pictures: a gallery page shows at most %1 at a time"_s.arg(
                            RequestRoute::maxGalleryIds));
    case Kind::RandomPick:
        return serveRandomPick(route, request, response);
    case Kind::CurrentRecord:
        return serveCurrentRecord(request, response);
    case Kind::Gallery:
        return serveGallery(route, response);
    case Kind::Categories:
        return serveCategories(response);
    case Kind::Weather:
        return serveWeather(response);
    case Kind::Home:
        return setHtml(response, HtmlPages::home(*m_library.library(), creditsOf()));
    case Kind::PicturePage:
    case Kind::PictureFile:
    case Kind::Thumbnail:
        return servePicture(route, request, response);
    }
}

void PictureServer::servePicture(const RequestRoute& route, const HttpRequest& request,
                                 HttpResponse& response)
{
    const std::shared_ptr<const Library> library = m_library.library();
    const Picture* picture = library->find(route.ids.value(0));
    if (!picture || (route.kind == Kind::PictureFile && route.suffix != picture->suffix))
        return setError(response, 404, u"No Such Picture"_s);
    if (route.kind == Kind::PicturePage)
        return setHtml(response, HtmlPages::picture(*picture, m_credits.credits(*picture)));
    if (route.kind == Kind::PictureFile)
        return servePictureFile(*picture, route.shownSize, request, response);
    serveThumbnail(*picture, request, response);
}

HtmlPages::CreditsOf PictureServer::creditsOf()
{
    return std::bind_front(&CreditsCache::credits, &m_credits);
}

std::string PictureServer::clientOf(const HttpRequest& request) const
{
    return clientAddress(request.peerAddress, request.headerValues("X-Forwarded-For"),
                         m_trustedProxy);
}

void PictureServer::serveRandomPick(const RequestRoute& route, const HttpRequest& request,
                                    HttpResponse& response)
{
    // The client's memory travels in its cookie, so that any instance with the key reads
    // it; a client without one is known by its address.
    const std::string client = clientOf(request);
    std::optional<PickCookie::Pick> known =
        PickCookie::read(request.cookie(PickCookie::name), m_pickKey);
    if (!known)
        known = m_currentPictures.get(client);
    const PickCookie::Pick before = known.value_or(PickCookie::Pick());
    const std::shared_ptr<const Library> library = m_library.library();
    const Picture* picked =
        pickAvoiding(library->candidates(route.category), before.recent, m_random);
    const std::optional<quint64> id = picked ? std::optional(picked->id) : std::nullopt;
    m_currentPictures.remember(client, id);
    setHtml(response, HtmlPages::randomPick(picked, route.category, creditsOf()));
    response.setHeader("Cache-Control", "no-store");
    response.setHeader("Set-Cookie", PickCookie::header(before.after(id), m_pickKey));
}

void PictureServer::serveCurrentRecord(const HttpRequest& request, HttpResponse& response)
{
    const auto cookie = PickCookie::read(request.cookie(PickCookie::name), m_pickKey);
    const std::optional<PickCookie::Pick> pick =
        cookie ? cookie : m_currentPictures.get(clientOf(request));
    const std::shared_ptr<const Library> library = m_library.library();
    const Picture* picture = pick && pick->id ? library->find(*pick->id) : nullptr;
    const QString base = baseUrl(request.header("Host"), request.localAddress, request.localPort);
    response.contentType = "text/plain; charset=utf-8";
    response.body =
        recordAnswer(base, picture, picture ? m_credits.credits(*picture) : PictureCredits());
    response.setHeader("Cache-Control", "no-store");
}

void PictureServer::serveGallery(const RequestRoute& route, HttpResponse& response)
{
    const std::shared_ptr<const Library> library = m_library.library();
    QList<const Picture*> pictures;
    for (const quint64 id : route.ids) {
        if (const Picture* picture = library->find(id))
            pictures.append(picture);
    }
    setHtml(response, HtmlPages::gallery(pictures, creditsOf()));
}

void PictureServer::serveCategories(HttpResponse& response)
{
    // The widget keeps the list as its Categories.dat: one name a line, each ended by
    // CR LF. A folder name with a line end in it cannot be a line, nor be asked for.
    QByteArray lines;
    for (const QString& name : m_library.library()->categories()) {
        if (!name.contains(u'\r') && !name.contains(u'\n'))
            lines += name.toUtf8() + "\r\n";
    }
    response.contentType = "text/plain; charset=utf-8";
    response.body = lines;
    response.setHeader("Cache-Control", "no-store");
}

void PictureServer::serveWeather(HttpResponse& response)
{
    const QString root = QFileInfo(m_library.rootPath()).canonicalFilePath();
    // The library's own page has the name of the path it is served at.
    const QFileInfo custom(QDir(root).filePath(paths::weather.sliced(1)));
    const bool inside = !root.isEmpty() && custom.canonicalFilePath().startsWith(root + u'/');
    QFile file(custom.filePath());
    if (inside && custom.isFile() && custom.size() <= maxWeatherPageSize &&
        file.open(QIODevice::ReadOnly)) {
        response.contentType = "text/html";
        response.body = file.readAll();
        return;
    }
    setHtml(response, HtmlPages::weather());
}

void PictureServer::servePictureFile(const Picture& picture, QSize shownSize,
                                     const HttpRequest& request, HttpResponse& response)
{
    if (!isStillInPlace(picture))
        return setError(response, 404, u"No Such Picture"_s);
    const QSize step = ScaledPictures::step(shownSize);
    if (step.isEmpty() || !m_scaled.scales(picture))
        return serveWhole(picture, request, response);
    // Made before: sent at once, never behind the decodes of others.
    const QString kept = m_scaled.kept(picture, step);
    if (!kept.isEmpty() && serveFile(kept, "image/jpeg", request, response))
        return;
    // Scaling takes a worker thread; the request and picture are copied for it.
    deferDecode(picture, request, response, [this, picture, step, request](HttpResponse& later) {
        const QString scaled = m_scaled.file(picture, step);
        if (scaled.isEmpty() || !serveFile(scaled, "image/jpeg", request, later))
            serveWhole(picture, request, later);
    });
}

void PictureServer::serveThumbnail(const Picture& picture, const HttpRequest& request,
                                   HttpResponse& response)
{
    if (!isStillInPlace(picture))
        return setError(response, 404, u"No Such Picture"_s);
    if (const std::optional<QByteArray> jpeg = m_thumbnails.cached(picture))
        return setThumbnail(*jpeg, response);
    deferDecode(picture, request, response, [this, picture](HttpResponse& later) {
        setThumbnail(m_thumbnails.thumbnail(picture), later);
    });
}

void PictureServer::deferDecode(const Picture& picture, const HttpRequest& request,
                                HttpResponse& response, std::function<void(HttpResponse&)> decode)
{
    // HEAD decodes nothing: the head of the whole file is what a GET may get too.
    if (request.method == "HEAD")
        return serveWhole(picture, request, response);
    // The client's decodes take turns with other clients'; when its turn is far off, the
    // whole file goes instead.
    response.deferred = std::move(decode);
    response.deferredFor = clientOf(request);
    response.instead = [picture, request](HttpResponse& later) {
        serveWhole(picture, request, later);
    };
}

} // namespace server
