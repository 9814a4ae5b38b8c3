// SPDX-License-Identifier: GPL-3.0-or-later
// RSS 2.0, Atom and Media RSS: one reader for all three, as feeds mix them freely.
#include "SourceParsers.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace server::import::SourceParsers {

namespace {

constexpr QLatin1StringView mediaNs("http://search.yahoo.com/mrss/");
constexpr QLatin1StringView dcNs("http://purl.org/dc/elements/1.1/");
constexpr QLatin1StringView atomNs("http://www.w3.org/2005/Atom");

// What one item or entry said, before the precedence of its fields is applied.
struct Item
{
    QString guid, link, title, mediaTitle, creator, licence, licenceUrl, copyright;
    QString image;
    qint64 imageWidth = -1;
    QString enclosure;
};

bool isImage(const QXmlStreamAttributes& attributes)
{
    return attributes.value("medium"_L1) == "image"_L1 ||
           attributes.value("type"_L1).startsWith("image/"_L1);
}

// Reads the fields of an item or entry up to its end element; a media:group's once.
void readFields(QXmlStreamReader& xml, Item& item, bool inGroup = false)
{
    while (xml.readNextStartElement()) {
        const auto ns = xml.namespaceUri();
        const auto name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto text = [&] {
            return xml.readElementText(QXmlStreamReader::IncludeChildElements);
        };
        if (ns == mediaNs && name == "group"_L1 && !inGroup) {
            readFields(xml, item, true); // its media:content count as the item's own
        } else if (ns == mediaNs && name == "content"_L1) {
            const qint64 width = attributes.value("width"_L1).toLongLong();
            if (isImage(attributes) && !attributes.value("url"_L1).isEmpty() &&
                width > item.imageWidth) {
                item.image = attributes.value("url"_L1).toString();
                item.imageWidth = width;
            }
            xml.skipCurrentElement();
        } else if (ns == mediaNs && name == "title"_L1) {
            item.mediaTitle = text();
        } else if (ns == mediaNs && name == "credit"_L1) {
            const auto role = attributes.value("role"_L1);
            const QString value = text();
            if ((role.isEmpty() || role == "author"_L1) && item.creator.isEmpty())
                item.creator = value;
        } else if (ns == mediaNs && name == "license"_L1) {
            item.licenceUrl = attributes.value("href"_L1).toString();
            item.licence = text();
        } else if (ns == mediaNs && name == "copyright"_L1) {
            item.copyright = text();
        } else if (ns == dcNs && name == "creator"_L1) {
            item.creator = text();
        } else if (name == "author"_L1 && ns == atomNs) {
            while (xml.readNextStartElement()) {
                if (xml.name() == "name"_L1 && item.creator.isEmpty())
                    item.creator = text();
                else
                    xml.skipCurrentElement();
            }
        } else if (name == "link"_L1 && ns == atomNs) {
            const auto rel = attributes.value("rel"_L1);
            if (rel == "enclosure"_L1 && isImage(attributes))
                item.enclosure = attributes.value("href"_L1).toString();
            else if (rel.isEmpty() || rel == "alternate"_L1)
                item.link = attributes.value("href"_L1).toString();
            xml.skipCurrentElement();
        } else if (name == "enclosure"_L1 && ns.isEmpty()) {
            if (isImage(attributes))
                item.enclosure = attributes.value("url"_L1).toString();
            xml.skipCurrentElement();
        } else if (name == "guid"_L1 || (name == "id"_L1 && ns == atomNs)) {
            item.guid = text();
        } else if (name == "link"_L1 && ns.isEmpty()) {
            item.link = text();
        } else if (name == "title"_L1 && (ns.isEmpty() || ns == atomNs)) {
            item.title = text();
        } else {
            xml.skipCurrentElement();
        }
    }
}

QString firstOf(std::initializer_list<QString> values)
{
    for (const QString& value : values)
        if (!value.trimmed().isEmpty())
            return value.trimmed();
    return {};
}

} // namespace

Parsed feed(const QByteArray& answer)
{
    Parsed parsed;
    QXmlStreamReader xml(answer);
    bool sawFeed = false;
    while (!xml.atEnd() && parsed.candidates.size() < maxCandidates) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == "rss"_L1 || (name == "feed"_L1 && xml.namespaceUri() == atomNs))
            sawFeed = true;
        if (!sawFeed || (name != "item"_L1 && name != "entry"_L1))
            continue;
        Item item;
        readFields(xml, item);
        const QString image = firstOf({item.image, item.enclosure});
        if (image.isEmpty())
            continue;
        Candidate candidate{
            .id = firstOf({item.guid, item.link, image}), .image = QUrl(image), .credits = {}};
        PictureCredits& credits = candidate.credits;
        credits.title = PictureCredits::clean(plainText(firstOf({item.mediaTitle, item.title})));
        credits.creator = PictureCredits::clean(plainText(item.creator));
        credits.licence = PictureCredits::clean(plainText(firstOf({item.licence, item.copyright})));
        credits.licenceUrl = PictureCredits::clean(item.licenceUrl);
        credits.source = PictureCredits::clean(item.link);
        parsed.candidates.append(candidate);
    }
    if (xml.hasError() && parsed.candidates.isEmpty())
        parsed.problem = u"not a feed: "_s + xml.errorString();
    else if (!sawFeed)
        parsed.problem = u"not an RSS or Atom feed"_s;
    return parsed;
}

} // namespace server::import::SourceParsers
