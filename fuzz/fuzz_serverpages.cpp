// What the server builds from names and headers it does not control: the library's
// ids from folder and file names, the pages that show those names, the record the
// widget reads, and the base address taken from the Host header.
#include "FuzzSupport.h"

#include "BaseUrl.h"
#include "HtmlPages.h"
#include "Library.h"
#include "PictureId.h"
#include "RecordAnswer.h"
#include "RequestRoute.h"
#include "picture/PictureAnswer.h"
#include "platform/HttpResult.h"

#include <QUrl>

#include <algorithm>
#include <array>

namespace {

using namespace server;

constexpr qsizetype maxPictures = 8;
const std::array<QChar, 5> markup = {u'&', u'<', u'>', u'"', u'\''};
// Stand-ins for the markup characters, one each, in the private use area.
constexpr char16_t firstStandIn = 0xE000;

// The input: a Host header, then folder and file names, separated by NUL bytes.
struct Input
{
    QByteArray host;
    QList<Picture> pictures;
};

Input readInput(const QByteArray& bytes)
{
    const QList<QByteArray> parts = bytes.split('\0');
    Input input{parts[0], {}};
    QStringList paths;
    for (qsizetype i = 1; i + 1 < parts.size() && input.pictures.size() < maxPictures; i += 2) {
        // Names as a file system gives them: no '/', never empty.
        const QString category = QString::fromUtf8(parts[i]).replace(u'/', u'_');
        const QString base = QString::fromUtf8(parts[i + 1]).replace(u'/', u'_');
        if (category.isEmpty() || category == u"." || category == u"..")
            continue;
        const QString suffix =
            parts[i + 1].size() % 2 ? QStringLiteral("png") : QStringLiteral("jpg");
        const QString relativePath = category + u'/' + base + u'.' + suffix;
        if (paths.contains(relativePath))
            continue;
        paths << relativePath;
        input.pictures.append({0, category, relativePath, "/library/" + relativePath, suffix});
    }
    return input;
}

bool hasStandIns(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= firstStandIn && c.unicode() < firstStandIn + markup.size();
    });
}

QString withStandIns(QString text)
{
    for (size_t i = 0; i < markup.size(); ++i)
        text.replace(markup[i], QChar(char16_t(firstStandIn + i)));
    return text;
}

QString unescaped(QString html)
{
    return html.replace("&lt;", "<")
        .replace("&gt;", ">")
        .replace("&quot;", "\"")
        .replace("&#39;", "'")
        .replace("&amp;", "&");
}

void checkEscape(const QString& text)
{
    const QString html = HtmlPages::htmlEscape(text);
    for (const QChar c : {u'<', u'>', u'"', u'\''})
        FUZZ_CHECK(!html.contains(c));
    FUZZ_CHECK(html.count(u'&') == html.count(u"&amp;") + html.count(u"&lt;") +
                                       html.count(u"&gt;") + html.count(u"&quot;") +
                                       html.count(u"&#39;"));
    FUZZ_CHECK(unescaped(html) == text);
}

std::array<qsizetype, 4> markupCount(const QByteArray& page)
{
    return {page.count('<'), page.count('>'), page.count('"'), page.count('\'')};
}

const Picture* counterpart(const Library& plain, const Picture& picture)
{
    const QString path = withStandIns(picture.relativePath);
    for (const Picture& candidate : plain.pictures()) {
        if (candidate.relativePath == path)
            return &candidate;
    }
    return nullptr;
}

// Every page built from the names has exactly the markup of the same page built from
// names without markup characters: no name adds a tag, ends an attribute or opens one.
void checkPages(const Library& library, const QString& category)
{
    QList<Picture> plainPictures;
    for (Picture picture : library.pictures()) {
        picture.category = withStandIns(picture.category);
        picture.relativePath = withStandIns(picture.relativePath);
        plainPictures << picture;
    }
    const Library plain(plainPictures);
    FUZZ_CHECK(markupCount(HtmlPages::home(library)) == markupCount(HtmlPages::home(plain)));
    QList<const Picture*> all;
    QList<const Picture*> plainAll;
    for (const Picture& picture : library.pictures()) {
        const Picture* plainPicture = counterpart(plain, picture);
        FUZZ_CHECK(plainPicture);
        all << &picture;
        plainAll << plainPicture;
        FUZZ_CHECK(markupCount(HtmlPages::picture(picture)) ==
                   markupCount(HtmlPages::picture(*plainPicture)));
        FUZZ_CHECK(markupCount(HtmlPages::randomPick(&picture, category)) ==
                   markupCount(HtmlPages::randomPick(plainPicture, category)));
    }
    FUZZ_CHECK(markupCount(HtmlPages::gallery(all)) == markupCount(HtmlPages::gallery(plainAll)));
    FUZZ_CHECK(markupCount(HtmlPages::randomPick(nullptr, category)) ==
               markupCount(HtmlPages::randomPick(nullptr, withStandIns(category))));
}

// Ids are unique, found again, and do not depend on the order the files were listed in.
void checkIds(const QList<Picture>& pictures, const Library& library)
{
    QList<Picture> reversed = pictures;
    std::reverse(reversed.begin(), reversed.end());
    const Library again(reversed);
    QList<quint64> ids;
    for (const Picture& picture : library.pictures()) {
        FUZZ_CHECK(picture.id <= pictureIdMask && !ids.contains(picture.id));
        ids << picture.id;
        FUZZ_CHECK(library.find(picture.id) == &picture);
        const Picture* same = again.find(picture.id);
        FUZZ_CHECK(same && same->relativePath == picture.relativePath);
    }
}

std::string targetOf(const QString& url, const QString& base)
{
    FUZZ_CHECK(url.startsWith(base + u'/'));
    return url.mid(base.size()).toStdString();
}

// The record the widget reads: its links lead back to the picture, and the widget's
// reader gets the id and the category out of it.
void checkRecord(const Library& library, const Picture& picture, const QString& base)
{
    const QByteArray answer = recordAnswer(base, &picture);
    const QList<QByteArray> lines = answer.split('\n');
    FUZZ_CHECK(lines.size() == 4);

    const RequestRoute page = RequestRoute::fromTarget(targetOf(QString::fromUtf8(lines[0]), base));
    FUZZ_CHECK(page.kind == RequestRoute::Kind::PicturePage);
    FUZZ_CHECK(library.find(page.ids.value(0)) == &picture);
    const RequestRoute file = RequestRoute::fromTarget(targetOf(QString::fromUtf8(lines[1]), base));
    FUZZ_CHECK(file.kind == RequestRoute::Kind::PictureFile);
    FUZZ_CHECK(library.find(file.ids.value(0)) == &picture && file.suffix == picture.suffix);

    if (answer.size() > PictureAnswer::answerChars)
        return; // the widget reads only the start
    platform::HttpResult result;
    result.ok = true;
    result.body = answer;
    const QString text = PictureAnswer::trimSpaces(PictureAnswer::fromTransfer(result, true));
    FUZZ_CHECK(text != PictureAnswer::nothingOffered);
    const PictureRecord record = PictureAnswer::parse(text);
    FUZZ_CHECK(record.pageUrl == QString::fromUtf8(lines[0]));
    FUZZ_CHECK(record.pictureUrl == QString::fromUtf8(lines[1]));
    FUZZ_CHECK(record.field3 == QString::number(picture.id));
    QString category = picture.category;
    category.replace(u'\r', u' ').replace(u'\n', u' ');
    FUZZ_CHECK(record.field4 == PictureAnswer::trimSpaces(u'x' + category).mid(1));
}

// Whatever the Host header says, the base is a plain "http://host:port" address.
QString checkBaseUrl(const QByteArray& host, const char* localAddress)
{
    const QString base =
        baseUrl(std::string_view(host.constData(), size_t(host.size())), localAddress, 8642);
    const QUrl url(base, QUrl::StrictMode);
    FUZZ_CHECK(url.isValid() && url.scheme() == u"http" && !url.host().isEmpty());
    FUZZ_CHECK(url.userInfo().isEmpty() && url.path().isEmpty());
    FUZZ_CHECK(!url.hasQuery() && !url.hasFragment());
    return base;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const Input input = readInput(bytes);
    const QString base = checkBaseUrl(input.host, "127.0.0.1");
    checkBaseUrl(input.host, "::1");
    const Library library(input.pictures);
    checkIds(input.pictures, library);
    for (const Picture& picture : library.pictures())
        checkRecord(library, picture, base);

    // A category a client asked for, shown back on the "no pictures" page.
    const QString category = QString::fromUtf8(input.host);
    checkEscape(category);
    bool standIns = hasStandIns(category);
    for (const Picture& picture : input.pictures) {
        checkEscape(picture.category);
        standIns = standIns || hasStandIns(picture.relativePath);
    }
    if (!standIns)
        checkPages(library, category);
    return 0;
}
