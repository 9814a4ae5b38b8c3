#include "PictureServer.h"

#include "BaseUrl.h"
#include "HtmlPages.h"
#include "ProtocolPaths.h"
#include "RecordAnswer.h"
#include "ServerLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace server {

namespace {

using Kind = RequestRoute::Kind;

constexpr qint64 maxWeatherPageSize = 1024 * 1024;
constexpr qint64 fileChunkSize = 64 * 1024;

void setHtml(httplib::Response& response, const QByteArray& html, int status = 200)
{
    response.status = status;
    response.set_content(html.toStdString(), "text/html; charset=utf-8");
}

QString reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return u"Bad Request"_s;
    case 404:
        return u"Not Found"_s;
    case 413:
        return u"Payload Too Large"_s;
    case 414:
        return u"URI Too Long"_s;
    default:
        return u"Error"_s;
    }
}

void setError(httplib::Response& response, int status, const QString& message)
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

} // namespace

PictureServer::PictureServer(const Options& options)
    : m_library(options.libraryPath, options.rescanInterval), m_random(options.seed)
{
    const size_t threads = options.threads;
    m_http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Headers and body go out in separate writes; without this, Nagle's algorithm holds
    // the body back until the client's delayed ACK, some 40 ms per keep-alive request.
    m_http.set_tcp_nodelay(true);
    // cpp-httplib also sets SO_REUSEPORT, which lets a second server bind the same port
    // and silently take half the requests; a busy port must be an error instead.
    m_http.set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    m_http.set_keep_alive_max_count(1000);
    m_http.set_keep_alive_timeout(5);
    m_http.set_read_timeout(10);
    m_http.set_write_timeout(10);
    // GET and HEAD carry no body; anything larger is not a request for us.
    m_http.set_payload_max_length(64 * 1024);

    // Every request is answered here, before cpp-httplib's own routing: it would answer
    // other methods with 404 and match paths with std::regex.
    m_http.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (request.method == "GET" || request.method == "HEAD") {
                handle(request, response);
            } else {
                setError(response, 405, u"Method Not Allowed"_s);
                response.set_header("Allow", "GET, HEAD");
                // A body we did not read must not be taken for the next request.
                response.set_header("Connection", "close");
            }
            return httplib::Server::HandlerResponse::Handled;
        });
    // cpp-httplib's own refusals (malformed or oversized requests) get a page too.
    m_http.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            setError(response, response.status, reasonPhrase(response.status));
            return httplib::Server::HandlerResponse::Handled;
        }));
    m_http.set_exception_handler(
        [](const httplib::Request& request, httplib::Response& response, std::exception_ptr) {
            qCWarning(lcServer) << "request failed:" << request.target.c_str();
            setError(response, 500, u"Internal Server Error"_s);
        });
    m_http.set_logger([](const httplib::Request& request, const httplib::Response& response) {
        qCDebug(lcServer) << request.remote_addr.c_str() << request.method.c_str()
                          << request.target.c_str() << response.status;
    });
}

int PictureServer::bind(const QString& address, int port)
{
    const std::string host = address.toStdString();
    const int bound =
        port == 0 ? m_http.bind_to_any_port(host) : (m_http.bind_to_port(host, port) ? port : -1);
    if (bound > 0 && !m_http.setBacklog(SOMAXCONN))
        qCWarning(lcServer) << "cannot deepen the accept queue:" << strerror(errno);
    return bound;
}

bool PictureServer::listen()
{
    return m_http.listen_after_bind();
}

void PictureServer::stop()
{
    m_http.stop();
}

void PictureServer::handle(const httplib::Request& request, httplib::Response& response)
{
    const RequestRoute route = RequestRoute::fromTarget(request.target);
    if (route.kind == Kind::BadRequest)
        return setError(response, 400, u"Bad Request"_s);
    if (route.kind == Kind::NotFound)
        return setError(response, 404, u"Not Found"_s);
    if (route.kind == Kind::RandomPick)
        return serveRandomPick(route, request, response);
    if (route.kind == Kind::CurrentRecord)
        return serveCurrentRecord(request, response);
    if (route.kind == Kind::Gallery)
        return serveGallery(route, response);
    if (route.kind == Kind::Weather)
        return serveWeather(response);

    const std::shared_ptr<const Library> library = m_library.library();
    if (route.kind == Kind::Home)
        return setHtml(response, HtmlPages::home(*library));
    const Picture* picture = library->find(route.ids.value(0));
    if (!picture || (route.kind == Kind::PictureFile && route.suffix != picture->suffix))
        return setError(response, 404, u"No Such Picture"_s);
    if (route.kind == Kind::PicturePage)
        return setHtml(response, HtmlPages::picture(*picture));
    if (route.kind == Kind::PictureFile)
        return servePictureFile(*picture, response);
    serveThumbnail(*picture, response);
}

void PictureServer::serveRandomPick(const RequestRoute& route, const httplib::Request& request,
                                    httplib::Response& response)
{
    const std::shared_ptr<const Library> library = m_library.library();
    const QList<const Picture*> candidates = library->candidates(route.category);
    const Picture* picked =
        candidates.isEmpty() ? nullptr : candidates[m_random.pick(candidates.size())];
    m_currentPictures.set(request.remote_addr, picked ? std::optional(picked->id) : std::nullopt);
    setHtml(response, HtmlPages::randomPick(picked, route.category));
    response.set_header("Cache-Control", "no-store");
}

void PictureServer::serveCurrentRecord(const httplib::Request& request, httplib::Response& response)
{
    const std::optional<quint64> id = m_currentPictures.get(request.remote_addr);
    const std::shared_ptr<const Library> library = m_library.library();
    const Picture* picture = id ? library->find(*id) : nullptr;
    const QString base =
        baseUrl(request.get_header_value("Host"), request.local_addr, request.local_port);
    response.set_content(recordAnswer(base, picture).toStdString(), "text/plain; charset=utf-8");
    response.set_header("Cache-Control", "no-store");
}

void PictureServer::serveGallery(const RequestRoute& route, httplib::Response& response)
{
    const std::shared_ptr<const Library> library = m_library.library();
    QList<const Picture*> pictures;
    for (const quint64 id : route.ids) {
        if (const Picture* picture = library->find(id))
            pictures.append(picture);
    }
    setHtml(response, HtmlPages::gallery(pictures));
}

void PictureServer::serveWeather(httplib::Response& response)
{
    const QString root = QFileInfo(m_library.rootPath()).canonicalFilePath();
    // The library's own page has the name of the path it is served at.
    const QFileInfo custom(QDir(root).filePath(paths::weather.sliced(1)));
    const bool inside = !root.isEmpty() && custom.canonicalFilePath().startsWith(root + u'/');
    QFile file(custom.filePath());
    if (inside && custom.isFile() && custom.size() <= maxWeatherPageSize &&
        file.open(QIODevice::ReadOnly)) {
        response.set_content(file.readAll().toStdString(), "text/html");
        return;
    }
    setHtml(response, HtmlPages::weather());
}

void PictureServer::servePictureFile(const Picture& picture, httplib::Response& response)
{
    auto file = std::make_shared<QFile>(picture.absolutePath);
    if (!isStillInPlace(picture) || !file->open(QIODevice::ReadOnly))
        return setError(response, 404, u"No Such Picture"_s);
    // Streamed in chunks: many clients fetching large photos do not each hold a copy.
    response.set_content_provider(
        size_t(file->size()), picture.mimeType().toStdString(),
        [file](size_t offset, size_t length, httplib::DataSink& sink) {
            if (!file->seek(qint64(offset)))
                return false;
            const QByteArray chunk = file->read(std::min(qint64(length), fileChunkSize));
            return !chunk.isEmpty() && sink.write(chunk.constData(), size_t(chunk.size()));
        });
}

void PictureServer::serveThumbnail(const Picture& picture, httplib::Response& response)
{
    const QByteArray jpeg =
        isStillInPlace(picture) ? m_thumbnails.thumbnail(picture) : QByteArray();
    if (jpeg.isEmpty())
        return setError(response, 404, u"No Such Picture"_s);
    response.set_content(jpeg.toStdString(), "image/jpeg");
    response.set_header("Cache-Control", "max-age=300");
}

} // namespace server
