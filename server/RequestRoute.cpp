// SPDX-License-Identifier: GPL-3.0-or-later
#include "RequestRoute.h"

#include "ProtocolPaths.h"

#include <QStringDecoder>

#include <optional>

namespace server {

namespace {

using Kind = RequestRoute::Kind;

RequestRoute routeTo(Kind kind, QString category = {})
{
    RequestRoute route;
    route.kind = kind;
    route.category = std::move(category);
    return route;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Strict percent-decoding to UTF-8 text. '+' stays '+': the widget encodes spaces as
// %20, and category names such as "C++" must survive. Rejects broken escapes, invalid
// UTF-8 and control characters, which no path, name or id contains.
std::optional<QString> decode(std::string_view text)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8);
    const QString decoded = toUtf16(bytes);
    if (toUtf16.hasError())
        return std::nullopt;
    for (const QChar c : decoded) {
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
    }
    return decoded;
}

std::optional<quint64> parseId(QStringView text)
{
    // At most 16 digits: every id fits in 53 bits, and no overflow is possible.
    if (text.isEmpty() || text.size() > 16)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return text.toULongLong();
}

struct Query
{
    QList<std::pair<QString, QString>> items;
    QString value(QStringView key) const
    {
        for (const auto& [k, v] : items) {
            if (k == key)
                return v;
        }
        return {};
    }
};

std::optional<Query> parseQuery(std::string_view text)
{
    Query query;
    while (!text.empty()) {
        const size_t end = text.find('&');
        const std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (item.empty())
            continue;
        const size_t equals = item.find('=');
        const auto key = decode(item.substr(0, equals));
        const auto value =
            decode(equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1));
        if (!key || !value)
            return std::nullopt;
        query.items.append({*key, *value});
    }
    return query;
}

RequestRoute galleryRoute(const Query& query)
{
    RequestRoute route = routeTo(Kind::Gallery);
    // The widget joins its saved ids unencoded and keeps empty ones; skip what is no id.
    for (const QString& item : query.value(u"mygallery").split(u',')) {
        if (const auto id = parseId(item.trimmed()))
            route.ids.append(*id);
    }
    return route.ids.size() > RequestRoute::maxGalleryIds ? routeTo(Kind::GalleryTooLong) : route;
}

// "/picture/ID", "/pictures/ID.EXT" and "/thumbs/ID.jpg".
RequestRoute pictureRoute(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView folder = path.first(slash + 1);
    QStringView name = path.sliced(slash + 1);
    QStringView suffix;
    if (const qsizetype dot = name.indexOf(u'.'); dot >= 0) {
        suffix = name.sliced(dot + 1);
        name = name.first(dot);
    }
    const auto id = parseId(name);
    if (!id)
        return {};
    RequestRoute route;
    route.ids = {*id};
    route.suffix = suffix.toString();
    if (folder == paths::picturePage && suffix.isNull())
        route.kind = Kind::PicturePage;
    else if (folder == paths::pictureFile && !suffix.isEmpty())
        route.kind = Kind::PictureFile;
    else if (folder == paths::thumbnail && suffix == u"jpg")
        route.kind = Kind::Thumbnail;
    else
        return {};
    return route;
}

} // namespace

RequestRoute RequestRoute::fromTarget(std::string_view target)
{
    const size_t questionMark = target.find('?');
    const auto path = decode(target.substr(0, questionMark));
    const auto query =
        parseQuery(questionMark == std::string_view::npos ? std::string_view()
                                                          : target.substr(questionMark + 1));
    if (!path || !query || !path->startsWith(u'/'))
        return routeTo(Kind::BadRequest);
    for (const QStringView segment : QStringView(*path).split(u'/')) {
        if (segment == u"." || segment == u"..")
            return routeTo(Kind::BadRequest);
    }

    if (*path == paths::home)
        return routeTo(Kind::Home);
    if (*path == paths::weather)
        return routeTo(Kind::Weather);
    if (*path == paths::currentRecord)
        return routeTo(Kind::CurrentRecord);
    if (*path == paths::categories)
        return routeTo(Kind::Categories);
    if (*path == paths::randomPick)
        return routeTo(Kind::RandomPick, query->value(u"category").trimmed());
    if (*path == paths::gallery)
        return galleryRoute(*query);
    RequestRoute route = pictureRoute(*path);
    if (route.kind == Kind::PictureFile)
        route.shownSize = QSize(query->value(u"w").toInt(), query->value(u"h").toInt());
    return route;
}

} // namespace server
