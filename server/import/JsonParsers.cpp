// SPDX-License-Identifier: GPL-3.0-or-later
// The three JSON APIs: the Art Institute of Chicago, the Met and Wikimedia Commons.
#include "JsonObject.h"
#include "SourceParsers.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace server::import::SourceParsers {

namespace {

const QString cc0 = u"https://creativecommons.org/publicdomain/zero/1.0/"_s;

// An id is a number or a string; either way its text.
QString idText(const QJsonValue& value)
{
    if (value.isDouble())
        return QString::number(value.toInteger());
    return value.toString();
}

void setCredit(PictureCredits& credits, QString PictureCredits::*field, const QString& text)
{
    credits.*field = PictureCredits::clean(plainText(text));
}

} // namespace

QString plainText(const QString& html)
{
    static const QRegularExpression tag(u"<[^>]*>"_s);
    static const QRegularExpression entity(u"&(#[0-9]{1,7}|#x[0-9a-fA-F]{1,6}|[a-z]{2,6});"_s);
    static const QHash<QString, QString> named = {{u"amp"_s, u"&"_s},  {u"lt"_s, u"<"_s},
                                                  {u"gt"_s, u">"_s},   {u"quot"_s, u"\""_s},
                                                  {u"apos"_s, u"'"_s}, {u"nbsp"_s, u" "_s}};
    QString text = html;
    text.replace(tag, u" "_s);
    QString result;
    qsizetype from = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(text).mid(from, match.capturedStart() - from);
        const QString name = match.captured(1);
        uint code = 0;
        if (name.startsWith(u"#x"))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt();
        if (code > 0 && code <= 0x10FFFF && QChar::isPrint(char32_t(code)))
            result += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        else
            result += named.value(name, match.captured());
        from = match.capturedEnd();
    }
    result += QStringView(text).mid(from);
    return result.simplified();
}

Parsed artic(const QByteArray& answer)
{
    Parsed parsed;
    const auto root = jsonObject(answer, &parsed.problem);
    if (!root)
        return parsed;
    const QJsonObject config = root->value("config"_L1).toObject();
    const QString iiif = config.value("iiif_url"_L1).toString();
    const QString website = config.value("website_url"_L1).toString();
    if (!root->value("data"_L1).isArray() || iiif.isEmpty()) {
        parsed.problem = u"no \"data\" list or no \"config.iiif_url\""_s;
        return parsed;
    }
    for (const QJsonValue& value : root->value("data"_L1).toArray()) {
        const QJsonObject work = value.toObject();
        const QString id = idText(work.value("id"_L1));
        const QString imageId = work.value("image_id"_L1).toString();
        // The search asks for public-domain works; the flag is checked all the same.
        if (id.isEmpty() || imageId.isEmpty() || !work.value("is_public_domain"_L1).toBool())
            continue;
        Candidate candidate{.id = id,
                            .image = QUrl(iiif + u'/' + imageId + u"/full/843,/0/default.jpg"_s),
                            .credits = {}};
        PictureCredits& credits = candidate.credits;
        setCredit(credits, &PictureCredits::title, work.value("title"_L1).toString());
        setCredit(credits, &PictureCredits::creator, work.value("artist_display"_L1).toString());
        setCredit(credits, &PictureCredits::date, work.value("date_display"_L1).toString());
        credits.licence = u"CC0 1.0"_s;
        credits.licenceUrl = cc0;
        if (!website.isEmpty())
            credits.source = PictureCredits::clean(website + u"/artworks/"_s + id);
        setCredit(credits, &PictureCredits::credit,
                  u"Art Institute of Chicago"_s +
                      (work.value("credit_line"_L1).toString().isEmpty()
                           ? QString()
                           : u", "_s + work.value("credit_line"_L1).toString()));
        parsed.candidates.append(candidate);
        if (parsed.candidates.size() == maxCandidates)
            break;
    }
    return parsed;
}

Parsed metSearch(const QByteArray& answer, const QUrl& base)
{
    Parsed parsed;
    const auto root = jsonObject(answer, &parsed.problem);
    if (!root)
        return parsed;
    const QJsonValue ids = root->value("objectIDs"_L1);
    // No match at all is answered with "objectIDs": null.
    if (!ids.isArray() && !ids.isNull()) {
        parsed.problem = u"no \"objectIDs\" list"_s;
        return parsed;
    }
    for (const QJsonValue& value : ids.toArray()) {
        const QString id = idText(value);
        if (id.isEmpty())
            continue;
        QUrl detail = base;
        detail.setPath(base.path() + u"/public/collection/v1/objects/"_s + id);
        parsed.candidates.append({.id = id, .image = detail, .credits = {}});
        if (parsed.candidates.size() == maxCandidates)
            break;
    }
    return parsed;
}

Parsed metObject(const QByteArray& answer)
{
    Parsed parsed;
    const auto object = jsonObject(answer, &parsed.problem);
    if (!object)
        return parsed;
    const QString id = idText(object->value("objectID"_L1));
    const QString image = object->value("primaryImage"_L1).toString();
    if (id.isEmpty() || image.isEmpty() || !object->value("isPublicDomain"_L1).toBool())
        return parsed;
    Candidate candidate{.id = id, .image = QUrl(image), .credits = {}};
    PictureCredits& credits = candidate.credits;
    setCredit(credits, &PictureCredits::title, object->value("title"_L1).toString());
    setCredit(credits, &PictureCredits::creator, object->value("artistDisplayName"_L1).toString());
    setCredit(credits, &PictureCredits::date, object->value("objectDate"_L1).toString());
    credits.licence = u"CC0 1.0"_s;
    credits.licenceUrl = cc0;
    setCredit(credits, &PictureCredits::source, object->value("objectURL"_L1).toString());
    setCredit(credits, &PictureCredits::credit,
              u"The Metropolitan Museum of Art"_s +
                  (object->value("creditLine"_L1).toString().isEmpty()
                       ? QString()
                       : u", "_s + object->value("creditLine"_L1).toString()));
    parsed.candidates.append(candidate);
    return parsed;
}

Parsed commonsPotd(const QByteArray& answer)
{
    Parsed parsed;
    const auto root = jsonObject(answer, &parsed.problem);
    if (!root)
        return parsed;
    // No picture yet for the days asked: a query without pages.
    const QJsonValue pages = root->value("query"_L1).toObject().value("pages"_L1);
    if (!pages.isArray() && !pages.isUndefined()) {
        parsed.problem = u"\"query.pages\" is not a list (formatversion=2)"_s;
        return parsed;
    }
    for (const QJsonValue& value : pages.toArray()) {
        const QJsonObject page = value.toObject();
        const QJsonObject info = page.value("imageinfo"_L1).toArray().first().toObject();
        const QString image = info.value("thumburl"_L1).toString().isEmpty()
                                  ? info.value("url"_L1).toString()
                                  : info.value("thumburl"_L1).toString();
        const QString id = page.value("title"_L1).toString();
        if (id.isEmpty() || image.isEmpty())
            continue;
        const QJsonObject meta = info.value("extmetadata"_L1).toObject();
        const auto field = [&](QLatin1StringView key) {
            return meta.value(key).toObject().value("value"_L1).toString();
        };
        Candidate candidate{.id = id, .image = QUrl(image), .credits = {}};
        PictureCredits& credits = candidate.credits;
        const QString name = field("ObjectName"_L1);
        setCredit(credits, &PictureCredits::title,
                  name.isEmpty() ? id.section(u':', 1).section(u'.', 0, -2) : name);
        setCredit(credits, &PictureCredits::creator, field("Artist"_L1));
        setCredit(credits, &PictureCredits::date, field("DateTimeOriginal"_L1));
        setCredit(credits, &PictureCredits::licence, field("LicenseShortName"_L1));
        setCredit(credits, &PictureCredits::licenceUrl, field("LicenseUrl"_L1));
        setCredit(credits, &PictureCredits::credit, field("Credit"_L1));
        setCredit(credits, &PictureCredits::source, info.value("descriptionurl"_L1).toString());
        parsed.candidates.append(candidate);
        if (parsed.candidates.size() == maxCandidates)
            break;
    }
    return parsed;
}

} // namespace server::import::SourceParsers
