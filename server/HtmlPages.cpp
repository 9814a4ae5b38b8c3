// SPDX-License-Identifier: GPL-3.0-or-later
#include "HtmlPages.h"

#include "Library.h"
#include "ProtocolPaths.h"

#include <QUrl>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace server::HtmlPages {

namespace {

constexpr qsizetype thumbnailsPerCategory = 4;

const QString style = uR"(
:root { color-scheme: dark; }
* { box-sizing: border-box; }
body { margin: 0; background: #121317; color: #e7e4dc;
  font: 16px/1.55 "Liberation Sans", "DejaVu Sans", Helvetica, Arial, sans-serif; }
header, main, footer { max-width: 1100px; margin: 0 auto; padding: 0 24px; }
header { padding-top: 28px; display: flex; align-items: baseline; gap: 28px; flex-wrap: wrap; }
h1 { font: 400 2.1rem/1.2 "Liberation Serif", "DejaVu Serif", Georgia, serif;
  letter-spacing: .02em; margin: 0; }
h2 { font: 400 1.4rem/1.3 "Liberation Serif", "DejaVu Serif", Georgia, serif;
  margin: 36px 0 12px; color: #f3e6c4; }
h2 small { color: #8d8a83; font-size: .95rem; margin-left: 8px; }
a { color: #e0b872; text-decoration: none; }
a:hover { text-decoration: underline; }
nav a { margin-right: 18px; }
.grid { display: grid; grid-template-columns: repeat(auto-fill, minmax(230px, 1fr)); gap: 18px; }
figure { margin: 0; }
.grid img { width: 100%; aspect-ratio: 4 / 3; object-fit: cover; border-radius: 6px;
  display: block; background: #1d1f25; box-shadow: 0 6px 18px rgba(0,0,0,.45); }
figcaption { color: #b9b5ab; font-size: .92rem; margin-top: 6px; }
figcaption small { display: block; color: #8d8a83; }
.credits { display: grid; grid-template-columns: max-content 1fr; gap: 4px 18px; margin: 18px 0 0; }
.credits dt { color: #8d8a83; }
.credits dd { margin: 0; }
.hero img { width: 100%; height: auto; border-radius: 8px; box-shadow: 0 10px 34px rgba(0,0,0,.6); }
.meta { color: #b9b5ab; margin: 12px 0 0; }
.note { color: #8d8a83; max-width: 46em; }
footer { color: #6f6c66; font-size: .85rem; padding-top: 48px; padding-bottom: 28px; }
)"_s;

QByteArray page(const QString& title, const QString& body)
{
    return (u"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            u"<title>"_s +
            htmlEscape(title) + u"</title>\n<style>"_s + style +
            u"</style>\n</head>\n<body>\n<header><h1>"_s + htmlEscape(title) +
            u"</h1><nav><a href=\""_s + paths::home + u"\">Home</a><a href=\""_s + paths::weather +
            u"\">Weather</a></nav></header>\n<main>\n"_s + body +
            u"</main>\n<footer>artcal-server</footer>\n</body>\n</html>\n"_s)
        .toUtf8();
}

QString idText(const Picture& picture)
{
    return QString::number(picture.id);
}

// What a picture is called on the pages: its title, else its file name.
QString titleOf(const Picture& picture, const PictureCredits& credits)
{
    return credits.title.isEmpty() ? picture.title() : credits.title;
}

// "Title · Creator", or the title alone.
QString caption(const Picture& picture, const PictureCredits& credits)
{
    QString caption = htmlEscape(titleOf(picture, credits));
    if (!credits.creator.isEmpty())
        caption += u" · "_s + htmlEscape(credits.creator);
    return caption;
}

// `text` linked to `url` when that is a web address, else `text` alone.
QString linked(const QString& text, const QString& url)
{
    const QUrl address(url, QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty() ||
        (address.scheme() != u"http" && address.scheme() != u"https"))
        return htmlEscape(text);
    return u"<a href=\""_s + htmlEscape(address.toString(QUrl::FullyEncoded)) +
           u"\" rel=\"noopener noreferrer\">"_s + htmlEscape(text) + u"</a>"_s;
}

// The credits known, as a list of terms, each escaped.
QString creditList(const PictureCredits& credits)
{
    QString rows;
    const auto row = [&rows](const QString& term, const QString& html) {
        if (!html.isEmpty())
            rows += u"<dt>"_s + term + u"</dt><dd>"_s + html + u"</dd>\n"_s;
    };
    row(u"Title"_s, htmlEscape(credits.title));
    row(u"Creator"_s, htmlEscape(credits.creator));
    row(u"Date"_s, htmlEscape(credits.date));
    const QString licence = credits.licence.isEmpty() ? credits.licenceUrl : credits.licence;
    row(u"Licence"_s, linked(licence, credits.licenceUrl));
    row(u"Source"_s, linked(credits.source, credits.source));
    row(u"Credit"_s, htmlEscape(credits.credit));
    return rows.isEmpty() ? rows : u"<dl class=\"credits\">\n"_s + rows + u"</dl>\n"_s;
}

// A thumbnail linking to the picture's page, captioned with its title and creator.
QString figure(const Picture& picture, const PictureCredits& credits, bool withCategory)
{
    QString text = caption(picture, credits);
    if (withCategory)
        text += u"<small>"_s + htmlEscape(picture.category) + u"</small>"_s;
    return u"<figure><a href=\""_s + paths::picturePage + idText(picture) + u"\"><img src=\""_s +
           paths::thumbnail + idText(picture) + u".jpg\" alt=\""_s +
           htmlEscape(titleOf(picture, credits)) + u"\" loading=\"lazy\"></a><figcaption>"_s +
           text + u"</figcaption></figure>\n"_s;
}

QString grid(const QList<const Picture*>& pictures, const CreditsOf& creditsOf, bool withCategory)
{
    QString html = u"<div class=\"grid\">\n"_s;
    for (const Picture* picture : pictures)
        html += figure(*picture, creditsOf(*picture), withCategory);
    return html + u"</div>\n"_s;
}

} // namespace

QString htmlEscape(QStringView text)
{
    struct Entity
    {
        char16_t character;
        QStringView text;
    };
    static constexpr Entity entities[] = {
        {u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'"', u"&quot;"}, {u'\'', u"&#39;"}};
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const auto entity = std::find_if(std::begin(entities), std::end(entities),
                                         [c](const Entity& e) { return e.character == c; });
        if (entity == std::end(entities))
            escaped += c;
        else
            escaped += entity->text;
    }
    return escaped;
}

QByteArray home(const Library& library, const CreditsOf& creditsOf)
{
    QString body;
    if (library.pictures().isEmpty())
        body += u"<p class=\"note\">The library is empty. Put folders of JPEG or PNG pictures "
                u"into the library folder; each folder is a category.</p>\n"_s;
    for (const QString& category : library.categories()) {
        const QList<const Picture*> pictures = library.candidates(category);
        body += u"<section>\n<h2>"_s + htmlEscape(category) + u"<small>"_s +
                QString::number(pictures.size()) +
                (pictures.size() == 1 ? u" picture"_s : u" pictures"_s) + u"</small></h2>\n"_s +
                grid(pictures.first(std::min(pictures.size(), thumbnailsPerCategory)), creditsOf,
                     false) +
                u"</section>\n"_s;
    }
    return page(u"artcal pictures"_s, body);
}

QByteArray picture(const Picture& picture, const PictureCredits& credits)
{
    const QString file = paths::pictureFile + picture.fileName();
    const QString title = titleOf(picture, credits);
    const QString body = u"<figure class=\"hero\"><a href=\""_s + file + u"\"><img src=\""_s +
                         file + u"\" alt=\""_s + htmlEscape(title) + u"\"></a></figure>\n"_s +
                         creditList(credits) + u"<p class=\"meta\">Category: "_s +
                         htmlEscape(picture.category) + u" · picture "_s + idText(picture) +
                         u" · <a href=\""_s + file + u"\">full size</a></p>\n"_s;
    return page(title, body);
}

QByteArray gallery(const QList<const Picture*>& pictures, const CreditsOf& creditsOf)
{
    const QString body =
        pictures.isEmpty()
            ? u"<p class=\"note\">None of the saved pictures is in this library.</p>\n"_s
            : grid(pictures, creditsOf, true);
    return page(u"My Gallery"_s, body);
}

QByteArray weather()
{
    return page(u"Weather"_s,
                u"<p class=\"note\">This is the demo weather page of artcal-server. It has no "
                u"forecast: the server knows nothing about the weather. To show a page of your "
                u"own here, put it into the library folder as <code>weather.htm</code>.</p>\n"_s);
}

QByteArray randomPick(const Picture* picked, const QString& category, const CreditsOf& creditsOf)
{
    if (!picked) {
        const QString what = category.isEmpty() ? u"The library holds no pictures."_s
                                                : u"No pictures in the category “"_s +
                                                      htmlEscape(category) + u"”."_s;
        return page(u"No picture"_s, u"<p class=\"note\">"_s + what + u"</p>\n"_s);
    }
    return page(u"Picked: "_s + titleOf(*picked, creditsOf(*picked)),
                grid({picked}, creditsOf, true));
}

QByteArray error(int status, const QString& message)
{
    return page(QString::number(status) + u' ' + message,
                u"<p class=\"note\"><a href=\""_s + paths::home +
                    u"\">Back to the pictures</a></p>\n"_s);
}

} // namespace server::HtmlPages
