// SPDX-License-Identifier: GPL-3.0-or-later
// The server's reading of a request target: whatever arrives, a route that names no
// path outside the library, ids that fit, and every category and gallery the widget
// can ask for reaches the server as the widget meant it. And its reading of a Range.
#include "FuzzSupport.h"

#include "ByteRange.h"
#include "PictureId.h"
#include "RequestRoute.h"
#include "picture/PictureAnswer.h"
#include "platform/ServerPaths.h"

#include <QStringList>

#include <string>

namespace {

using server::RequestRoute;
using Kind = RequestRoute::Kind;

// Ids are 53 bits; the server never takes more than 16 digits.
constexpr quint64 idLimit = 10'000'000'000'000'000ULL;

bool sameRoute(const RequestRoute& a, const RequestRoute& b)
{
    return a.kind == b.kind && a.category == b.category && a.ids == b.ids && a.suffix == b.suffix;
}

bool hasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

std::string_view pathOf(std::string_view target)
{
    return target.substr(0, target.find('?'));
}

void checkRoute(std::string_view target, const RequestRoute& route)
{
    const bool onePicture = route.kind == Kind::PicturePage || route.kind == Kind::PictureFile ||
                            route.kind == Kind::Thumbnail;
    if (onePicture)
        FUZZ_CHECK(route.ids.size() == 1);
    else if (route.kind == Kind::Gallery)
        FUZZ_CHECK(route.ids.size() <= RequestRoute::maxGalleryIds);
    else
        FUZZ_CHECK(route.ids.isEmpty());
    for (const quint64 id : route.ids)
        FUZZ_CHECK(id < idLimit);
    FUZZ_CHECK(route.kind != Kind::PictureFile || !route.suffix.isEmpty());
    FUZZ_CHECK(route.kind != Kind::Thumbnail || route.suffix == u"jpg");
    FUZZ_CHECK(!route.suffix.contains(u'/'));
    if (route.kind == Kind::RandomPick) {
        FUZZ_CHECK(route.category == route.category.trimmed());
        FUZZ_CHECK(!hasControl(route.category) && route.category.isValidUtf16());
    } else {
        FUZZ_CHECK(route.category.isEmpty());
    }
    if (route.kind == Kind::BadRequest)
        return;
    // Whatever was accepted, decoded by an independent reader, is an absolute path
    // with no "." or ".." in it.
    const QByteArray path = QByteArray::fromPercentEncoding(
        QByteArray(pathOf(target).data(), qsizetype(pathOf(target).size())));
    FUZZ_CHECK(path.startsWith('/') && FuzzSupport::isValidUtf8(path));
    for (const QByteArray& segment : path.split('/'))
        FUZZ_CHECK(segment != "." && segment != "..");
}

// Escaping one more byte of the path means the same path.
void checkEscaping(std::string_view target, const RequestRoute& route, size_t pick)
{
    const std::string_view path = pathOf(target);
    if (path.empty())
        return;
    const size_t i = pick % path.size();
    if (path.substr(i >= 2 ? i - 2 : 0, i >= 2 ? 3 : i + 1).find('%') != std::string_view::npos)
        return;
    static const char hex[] = "0123456789ABCDEF";
    const unsigned char c = static_cast<unsigned char>(path[i]);
    const std::string escaped = std::string(target.substr(0, i)) + '%' + hex[c >> 4] + hex[c & 15] +
                                std::string(target.substr(i + 1));
    FUZZ_CHECK(sameRoute(RequestRoute::fromTarget(escaped), route));
}

// The widget's random pick of a category it read from Categories.dat.
void checkCategoryQuery(const QString& category)
{
    const QByteArray target =
        (ServerPaths::randomPick + PictureAnswer::categoryQuery(category)).toUtf8();
    const RequestRoute route = RequestRoute::fromTarget(target.toStdString());
    if (hasControl(category)) {
        FUZZ_CHECK(route.kind == Kind::BadRequest);
        return;
    }
    FUZZ_CHECK(route.kind == Kind::RandomPick);
    FUZZ_CHECK(route.category == category.trimmed());
}

// The widget's gallery page: its saved ids, joined by commas.
void checkGalleryQuery(const uint8_t* data, size_t size)
{
    QList<quint64> ids;
    QStringList texts;
    for (size_t i = 0; i + 7 < size && ids.size() < RequestRoute::maxGalleryIds; i += 8) {
        quint64 id = 0;
        for (size_t k = 0; k < 8; ++k)
            id = id << 8 | data[i + k];
        id &= server::pictureIdMask;
        ids << id;
        texts << QString::number(id);
    }
    const std::string target = (ServerPaths::galleryPage + texts.join(u',')).toStdString();
    const RequestRoute route = RequestRoute::fromTarget(target);
    FUZZ_CHECK(route.kind == Kind::Gallery && route.ids == ids);
}

// A Range header against a file of any size: a part that lies within the file, never
// past its end or empty.
void checkRange(std::string_view header, qint64 size)
{
    const server::ByteRange range = server::ByteRange::parse(header, size);
    if (range.kind == server::ByteRange::Kind::Part)
        FUZZ_CHECK(range.first >= 0 && range.length > 0 && range.first + range.length <= size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view target(reinterpret_cast<const char*>(data), size);
    const RequestRoute route = RequestRoute::fromTarget(target);
    checkRoute(target, route);
    checkEscaping(target, route, size > 0 ? data[size - 1] * 7u + size : 0);
    checkCategoryQuery(QString::fromUtf8(FuzzSupport::bytes(data, size)));
    checkGalleryQuery(data, size);
    checkRange(target, size > 0 ? qint64(data[0]) << (data[size - 1] % 40) : 0);
    checkRange("bytes=" + std::string(target), qint64(size) * 1000);
    return 0;
}
