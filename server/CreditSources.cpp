// SPDX-License-Identifier: GPL-3.0-or-later
#include "CreditSources.h"

#include "JsonObject.h"

#include <QJsonDocument>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace server::CreditSources {

namespace {

constexpr QLatin1StringView ccLicence("Xmp.cc.license");
// The licence's short name, derived from the Creative Commons address: no key of exiv2.
constexpr QLatin1StringView ccLicenceName("cc-licence-name");

// One credit field and where it may come from, in order of precedence.
struct Rule
{
    QString PictureCredits::*field;
    QLatin1StringView sidecarKey;
    std::initializer_list<QLatin1StringView> metadataKeys;
};

const Rule rules[] = {
    {&PictureCredits::title,
     "title"_L1,
     {"Xmp.dc.title"_L1, "Iptc.Application2.ObjectName"_L1, "Exif.Image.ImageDescription"_L1}},
    {&PictureCredits::creator,
     "creator"_L1,
     {"Xmp.dc.creator"_L1, "Iptc.Application2.Byline"_L1, "Exif.Image.Artist"_L1}},
    {&PictureCredits::date, "date"_L1, {"Xmp.dc.date"_L1, "Iptc.Application2.DateCreated"_L1}},
    {&PictureCredits::licence, "licence"_L1, {"Xmp.xmpRights.UsageTerms"_L1, ccLicenceName}},
    {&PictureCredits::licenceUrl, "licenceUrl"_L1, {ccLicence, "Xmp.xmpRights.WebStatement"_L1}},
    {&PictureCredits::credit,
     "creditLine"_L1,
     {"Xmp.cc.attributionName"_L1, "Xmp.dc.rights"_L1, "Iptc.Application2.Copyright"_L1,
      "Exif.Image.Copyright"_L1}},
    {&PictureCredits::source, "source"_L1, {}},
};

// A year alone is written as a number often enough to take it.
QString sidecarText(const QJsonValue& value)
{
    return value.isDouble() ? QString::number(value.toDouble(), 'g', 15) : value.toString();
}

} // namespace

std::optional<QJsonObject> sidecarObject(const QByteArray& bytes, QString* problem)
{
    if (bytes.size() > maxSidecarBytes) {
        *problem = u"larger than %1 bytes"_s.arg(maxSidecarBytes);
        return std::nullopt;
    }
    return jsonObject(bytes, problem);
}

QString creativeCommonsName(QStringView url)
{
    static const QRegularExpression address(
        uR"(^https?://(?:www\.)?creativecommons\.org/(licenses|publicdomain)/([a-z-]+)/)"
        uR"((\d+\.\d+)(?:/([a-z]{2}))?/?(?:(?:legalcode|deed)(?:\.[a-z-]+)?)?$)"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QStringList licences = {u"by"_s,    u"by-sa"_s,    u"by-nd"_s,
                                         u"by-nc"_s, u"by-nc-sa"_s, u"by-nc-nd"_s};
    const QRegularExpressionMatch match = address.match(url.trimmed());
    if (!match.hasMatch())
        return {};
    const QString kind = match.captured(2).toLower();
    const QString version = match.captured(3);
    if (match.captured(1).toLower() == u"publicdomain") {
        if (kind == u"zero")
            return u"CC0 "_s + version;
        return kind == u"mark" ? u"Public Domain Mark "_s + version : QString();
    }
    if (!licences.contains(kind))
        return {};
    // A licence ported to one country ("by/3.0/de") names it.
    const QString country = match.captured(4).toUpper();
    return u"CC "_s + kind.toUpper() + u' ' + version +
           (country.isEmpty() ? u""_s : u' ' + country);
}

QStringList metadataKeys()
{
    QStringList keys;
    for (const Rule& rule : rules) {
        for (const QLatin1StringView key : rule.metadataKeys) {
            if (key != ccLicenceName)
                keys.append(key);
        }
    }
    return keys;
}

QJsonObject sidecarOf(const PictureCredits& credits)
{
    QJsonObject sidecar;
    for (const Rule& rule : rules)
        if (!(credits.*rule.field).isEmpty())
            sidecar.insert(rule.sidecarKey, credits.*rule.field);
    return sidecar;
}

PictureCredits merged(const QJsonObject& sidecar, const MetadataText& metadata,
                      const PictureCredits& known)
{
    const auto metadataValue = [&metadata](QLatin1StringView key) {
        return key == ccLicenceName ? creativeCommonsName(metadata.value(ccLicence))
                                    : metadata.value(key);
    };
    PictureCredits credits;
    for (const Rule& rule : rules) {
        QString& value = credits.*rule.field;
        value = PictureCredits::clean(sidecarText(sidecar.value(rule.sidecarKey)));
        for (auto key = rule.metadataKeys.begin();
             value.isEmpty() && key != rule.metadataKeys.end(); ++key)
            value = PictureCredits::clean(metadataValue(*key));
        if (value.isEmpty())
            value = PictureCredits::clean(known.*rule.field);
    }
    return credits;
}

} // namespace server::CreditSources
