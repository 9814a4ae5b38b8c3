// SPDX-License-Identifier: GPL-3.0-or-later
// What the server builds from names and headers it does not control: the pages that
// show folder and file names, the record the widget reads, and the base address taken
// from the Host header.
#include "FuzzSupport.h"

#include "BaseUrl.h"
#include "HtmlPages.h"
#include "Library.h"
#include "RecordAnswer.h"
#include "RequestRoute.h"

#include <QSet>
#include <QUrl>

#include <array>

namespace {

using namespace server;
using Markup = std::array<qsizetype, 4>;

// The characters that would add or end a tag or an attribute.
Markup markup(const QByteArray& page)
{
    return {page.count('<'), page.count('>'), page.count('"'), page.count('\'')};
}

// Credits that say what the picture's name says, in every field that is shown as text.
PictureCredits namedCredits(const Picture& picture)
{
    PictureCredits credits;
    for (QString* field :
         {&credits.title, &credits.creator, &credits.date, &credits.licence, &credits.credit})
        *field = PictureCredits::clean(picture.relativePath);
    return credits;
}

// No name adds markup: each page has the markup of the same page built from plain names
// ("c0/p0.jpg", ...) that keep the pictures' grouping into categories.
void checkPages(QList<Picture> pictures, const Library& library, const QString& asked)
{
    QStringList categories;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        if (!categories.contains(pictures[i].category))
            categories << pictures[i].category;
        pictures[i].category = 'c' + QString::number(categories.indexOf(pictures[i].category));
        pictures[i].relativePath = pictures[i].category + "/p" + QString::number(i) + ".jpg";
    }
    const Library plain(pictures);
    FUZZ_CHECK(markup(HtmlPages::home(library, namedCredits)) ==
               markup(HtmlPages::home(plain, namedCredits)));
    FUZZ_CHECK(markup(HtmlPages::gallery(library.candidates({}), namedCredits)) ==
               markup(HtmlPages::gallery(plain.candidates({}), namedCredits)));
    FUZZ_CHECK(markup(HtmlPages::randomPick(nullptr, asked, namedCredits)) ==
               markup(HtmlPages::randomPick(nullptr, "c", namedCredits)));
    for (const Picture& picture : library.pictures()) {
        const Picture& other = plain.pictures().first();
        FUZZ_CHECK(markup(HtmlPages::picture(picture, namedCredits(picture))) ==
                   markup(HtmlPages::picture(other, namedCredits(other))));
        FUZZ_CHECK(markup(HtmlPages::randomPick(&picture, asked, namedCredits)) ==
                   markup(HtmlPages::randomPick(&other, "c", namedCredits)));
    }
    // Escaped text reads back as the text.
    QString html = HtmlPages::htmlEscape(asked);
    for (const char* entity : {"&lt;<", "&gt;>", "&quot;\"", "&#39;'", "&amp;&"})
        html.replace(QString(entity).chopped(1), QString(entity).right(1));
    FUZZ_CHECK(html == asked);
}

// The record is four lines whatever the category, within the 1000 bytes a four-line
// reader takes, and its addresses lead back to the picture.
void checkRecord(const Library& library, const Picture& picture, const QString& base)
{
    const QStringList lines = QString::fromUtf8(recordAnswer(base, &picture)).split('\n');
    FUZZ_CHECK(lines.size() == 4 && lines[2] == QString::number(picture.id));
    FUZZ_CHECK(lines.join('\n').toUtf8().size() <= 1000);
    FUZZ_CHECK(lines[0].startsWith(base + '/') && lines[1].startsWith(base + '/'));
    const auto page = RequestRoute::fromTarget(lines[0].mid(base.size()).toStdString());
    const auto file = RequestRoute::fromTarget(lines[1].mid(base.size()).toStdString());
    FUZZ_CHECK(page.kind == RequestRoute::Kind::PicturePage && file.suffix == picture.suffix);
    FUZZ_CHECK(library.find(page.ids.value(0)) == &picture);
    FUZZ_CHECK(library.find(file.ids.value(0)) == &picture);
}

// Whatever the Host header says, the base is a plain "http://host:port" address.
QString checkBaseUrl(const QByteArray& host, const char* localAddress)
{
    const QString base = baseUrl(host.toStdString(), localAddress, 8642);
    const QUrl url(base, QUrl::StrictMode);
    FUZZ_CHECK(url.isValid() && url.scheme() == "http" && !url.host().isEmpty());
    FUZZ_CHECK(url.userInfo().isEmpty() && url.path().isEmpty());
    FUZZ_CHECK(!url.hasQuery() && !url.hasFragment());
    return base;
}

} // namespace

// The input: a Host header, which is also a category a client asks for, then folder and
// file names, separated by NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = FuzzSupport::bytes(data, size).split('\0');
    const QString base = checkBaseUrl(parts[0], "127.0.0.1");
    checkBaseUrl(parts[0], "::1");
    QList<Picture> pictures;
    QSet<QString> paths;
    for (qsizetype i = 1; i + 1 < parts.size() && pictures.size() < 8; i += 2) {
        // Names as a file system gives them: no '/', never empty, "." or "..".
        const QString category = QString::fromUtf8(parts[i]).replace('/', '_');
        const QString suffix = parts[i + 1].size() % 2 ? "png" : "jpg";
        const QString path =
            category + '/' + QString::fromUtf8(parts[i + 1]).replace('/', '_') + '.' + suffix;
        if (category.isEmpty() || category == "." || category == ".." || paths.contains(path))
            continue;
        paths << path;
        pictures.append({0, category, path, "/library/" + path, suffix});
    }
    const Library library(pictures);
    for (const Picture& picture : library.pictures())
        checkRecord(library, picture, base);
    checkPages(pictures, library, QString::fromUtf8(parts[0]));
    return 0;
}
