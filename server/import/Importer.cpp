// SPDX-License-Identifier: GPL-3.0-or-later
#include "Importer.h"

#include "CreditSources.h"
#include "ServerLog.h"
#include "SourceParsers.h"
#include "platform/AtomicFile.h"
#include "platform/WholeImage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUrlQuery>

#include <csignal>

using namespace Qt::StringLiterals;

namespace server::import {

namespace {

constexpr int articPageSize = 100;
constexpr int maxPages = 3;
// The Met answers its search with ids only; each costs a request to learn if it is a
// public-domain picture.
constexpr int metLookupsPerPicture = 4;

QUrl withPath(const QUrl& base, const QString& path, const QUrlQuery& query)
{
    QUrl url = base;
    url.setPath(base.path().chopped(base.path().endsWith(u'/') ? 1 : 0) + path);
    url.setQuery(query);
    return url;
}

// The suffix the server serves a picture's format under, from its first bytes.
QString suffixOf(const QString& path)
{
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    if (head.startsWith("\xFF\xD8\xFF"))
        return u"jpg"_s;
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return u"png"_s;
    return {};
}

// A readable, unique file name: the title's first words and a hash of the source's id.
QString fileStem(const Source& source, const Candidate& candidate)
{
    QString words;
    for (const QChar c : candidate.credits.title.left(60))
        words += c.isLetterOrNumber() ? c : u' ';
    words = words.simplified().replace(u' ', u'-');
    const QByteArray hash = QCryptographicHash::hash((source.name + u'\n' + candidate.id).toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(10);
    return (words.isEmpty() ? u"picture"_s : words) + u'-' + QString::fromLatin1(hash);
}

void removeFiles(const QString& picture)
{
    QFile::remove(picture + u".json"_s);
    QFile::remove(picture);
}

} // namespace

struct Importer::Listing
{
    bool ok = false;
    bool notModified = false;
    QUrl url;
    QList<Candidate> candidates;
    QString problem;
};

Importer::Importer(const Options& options)
    : m_options(options), m_stateFolder(stateFolder(options.library)), m_fetcher(options.fetch)
{
}

QString Importer::stateFolder(const QString& library)
{
    return library + u"/.artcal-import"_s;
}

void Importer::step(QLatin1StringView name) const
{
    if (m_options.killAt == name)
        std::raise(SIGKILL);
}

Importer::Listing Importer::list(const Source& source, ImportState& state, int page)
{
    QUrl url = source.base;
    switch (source.kind) {
    case Source::Kind::Artic: {
        QUrlQuery query;
        query.addQueryItem(u"query[term][is_public_domain]"_s, u"true"_s);
        if (!source.query.isEmpty())
            query.addQueryItem(u"q"_s, source.query);
        query.addQueryItem(
            u"fields"_s,
            u"id,title,artist_display,date_display,image_id,is_public_domain,credit_line"_s);
        query.addQueryItem(u"limit"_s, QString::number(articPageSize));
        query.addQueryItem(u"page"_s, QString::number(page));
        url = withPath(source.base, u"/api/v1/artworks/search"_s, query);
        break;
    }
    case Source::Kind::Met: {
        QUrlQuery query;
        query.addQueryItem(u"hasImages"_s, u"true"_s);
        query.addQueryItem(u"q"_s, source.query.isEmpty() ? u"painting"_s : source.query);
        url = withPath(source.base, u"/public/collection/v1/search"_s, query);
        break;
    }
    case Source::Kind::CommonsPotd: {
        // The pictures of the last days: each day's template shows its picture.
        QStringList days;
        const QDate today = QDate::currentDate();
        for (int i = 0; i < source.perRun; ++i)
            days << u"Template:Potd/"_s + today.addDays(-i).toString(Qt::ISODate);
        QUrlQuery query;
        for (const auto& [key, value] : {std::pair{u"action"_s, u"query"_s},
                                         {u"format"_s, u"json"_s},
                                         {u"formatversion"_s, u"2"_s},
                                         {u"generator"_s, u"images"_s},
                                         {u"titles"_s, days.join(u'|')},
                                         {u"prop"_s, u"imageinfo"_s},
                                         {u"iiprop"_s, u"url|size|mime|extmetadata"_s},
                                         {u"iiurlwidth"_s, u"1920"_s}})
            query.addQueryItem(key, value);
        url = withPath(source.base, u"/w/api.php"_s, query);
        break;
    }
    case Source::Kind::Feed:
        break;
    }

    Listing listing;
    QBuffer answer;
    answer.open(QIODevice::WriteOnly);
    const Fetcher::Reply reply = m_fetcher.get(url, answer, maxAnswerBytes, state.validators(url));
    listing.url = url;
    if (!reply.ok) {
        listing.problem = reply.problem;
        return listing;
    }
    listing.ok = true;
    listing.notModified = reply.notModified;
    if (reply.notModified)
        return listing;
    SourceParsers::Parsed parsed;
    switch (source.kind) {
    case Source::Kind::Artic:
        parsed = SourceParsers::artic(answer.data());
        break;
    case Source::Kind::Met:
        parsed = SourceParsers::metSearch(answer.data(), source.base);
        break;
    case Source::Kind::CommonsPotd:
        parsed = SourceParsers::commonsPotd(answer.data());
        break;
    case Source::Kind::Feed:
        parsed = SourceParsers::feed(answer.data());
        break;
    }
    if (!parsed.problem.isEmpty()) {
        listing.ok = false;
        listing.problem = parsed.problem;
        return listing;
    }
    // Validators are kept only for an answer read to its end: an unchanged answer
    // then has nothing new.
    state.setValidators(url, reply.validators);
    for (Candidate& candidate : parsed.candidates)
        candidate.image = reply.url.resolved(candidate.image);
    listing.candidates = parsed.candidates;
    return listing;
}

// A Met search result names an object; its own answer says if it is a picture to take.
std::optional<Candidate> Importer::detailOf(const Candidate& candidate, QString* problem)
{
    QBuffer answer;
    answer.open(QIODevice::WriteOnly);
    const Fetcher::Reply reply = m_fetcher.get(candidate.image, answer, maxAnswerBytes);
    m_busy = reply.busy;
    if (!reply.ok) {
        *problem = reply.problem;
        return std::nullopt;
    }
    SourceParsers::Parsed parsed = SourceParsers::metObject(answer.data());
    if (parsed.candidates.isEmpty() || parsed.candidates[0].id != candidate.id) {
        *problem = parsed.problem.isEmpty() ? u"not a public-domain picture"_s : parsed.problem;
        return std::nullopt;
    }
    parsed.candidates[0].image = reply.url.resolved(parsed.candidates[0].image);
    return parsed.candidates[0];
}

bool Importer::arrive(const Source& source, ImportState& state, const Candidate& candidate,
                      QString* problem)
{
    const QString stem = fileStem(source, candidate);
    const QString download = m_stateFolder + u"/tmp/"_s + stem;
    QFile file(download);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *problem = file.errorString();
        return false;
    }
    const Fetcher::Reply reply = m_fetcher.get(candidate.image, file, m_options.maxPictureBytes);
    m_busy = reply.busy;
    file.close();
    step("downloaded"_L1);
    const QString suffix = suffixOf(download);
    const auto refuse = [&](const QString& why) {
        QFile::remove(download);
        *problem = why;
        return false;
    };
    if (!reply.ok)
        return refuse(reply.problem);
    if (suffix.isEmpty())
        return refuse(u"not a JPEG or PNG picture"_s);
    const platform::WholeImage::Result read = platform::WholeImage::read(download);
    if (read.image.isNull())
        return refuse(u"not a whole picture: "_s + read.problem);
    if (std::max(read.image.width(), read.image.height()) < minLongerSide)
        return refuse(u"only %1×%2 pixels"_s.arg(read.image.width()).arg(read.image.height()));

    const QString relative = source.category + u'/' + stem + u'.' + suffix;
    const QString picture = m_options.library + u'/' + relative;
    if (QFileInfo::exists(picture))
        return refuse(u"a file named %1 is in the way"_s.arg(relative));
    const QString sidecar = download + u".json"_s;
    const QByteArray credits = QJsonDocument(CreditSources::sidecarOf(candidate.credits)).toJson();
    QString error;
    if (!QDir().mkpath(m_options.library + u'/' + source.category) ||
        !platform::AtomicFile::write(sidecar, credits, &error))
        return refuse(u"cannot write the credits: "_s + error);
    step("sidecar"_L1);
    // The state names the picture before it is visible: a kill later leaves the next run
    // an entry to finish or undo, never an unknown file.
    state.entries().append(
        {candidate.id, relative, QDateTime::currentSecsSinceEpoch(), /*pending*/ true});
    if (!state.save(&error)) {
        state.entries().removeLast();
        QFile::remove(sidecar);
        return refuse(u"cannot save the import state: "_s + error);
    }
    step("pending"_L1);
    // The picture first: a sidecar is never in place without its picture.
    bool placed = platform::AtomicFile::moveIntoPlace(download, picture, &error);
    if (placed) {
        step("picture"_L1);
        placed = platform::AtomicFile::moveIntoPlace(sidecar, picture + u".json"_s, &error);
    }
    if (!placed) {
        QFile::remove(sidecar);
        QFile::remove(download);
        finishPending(state);
        *problem = u"cannot put the picture in place: "_s + error;
        return false;
    }
    step("placed"_L1);
    state.entries().last().pending = false;
    if (!state.save(&error))
        qCWarning(lcServer).noquote() << "cannot save the import state:" << error;
    return true;
}

// Entries left pending by a run that ended early: complete pairs are kept, the rest go.
void Importer::finishPending(ImportState& state)
{
    QList<ImportState::Entry>& entries = state.entries();
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (!entries[i].pending)
            continue;
        const QString picture = m_options.library + u'/' + entries[i].file;
        if (QFileInfo::exists(picture) && QFileInfo::exists(picture + u".json"_s)) {
            entries[i].pending = false;
        } else {
            removeFiles(picture);
            entries.removeAt(i);
        }
    }
}

// The oldest imported pictures go when there are more than `keep`; their entries stay,
// with no file, so that they are not imported again.
void Importer::keepLimit(const Source& source, ImportState& state)
{
    const QString prefix = source.category + u'/';
    qsizetype kept = std::count_if(
        state.entries().cbegin(), state.entries().cend(),
        [&](const ImportState::Entry& entry) { return entry.file.startsWith(prefix); });
    for (ImportState::Entry& entry : state.entries()) {
        if (kept <= source.keep)
            break;
        if (!entry.file.startsWith(prefix))
            continue;
        removeFiles(m_options.library + u'/' + entry.file);
        entry.file.clear();
        --kept;
    }
}

Importer::Outcome Importer::run(const Source& source)
{
    Outcome outcome;
    m_busy = false;
    QDir(m_stateFolder + u"/tmp"_s).removeRecursively();
    if (!QDir().mkpath(m_stateFolder + u"/tmp"_s)) {
        outcome.message = u"%1: cannot create %2/tmp"_s.arg(source.name, m_stateFolder);
        return outcome;
    }
    ImportState state = ImportState::load(m_stateFolder, source.name);
    finishPending(state);

    QString lastProblem;
    int lookups = 0;
    bool exhausted = true;
    QUrl listed;
    for (int page = 1 + state.entries().size() / articPageSize, pages = 0;
         pages < maxPages && outcome.imported < source.perRun; ++page, ++pages) {
        const Listing listing = list(source, state, page);
        if (!listing.ok) {
            lastProblem = listing.problem;
            break;
        }
        outcome.worked = true;
        listed = listing.url;
        for (const Candidate& offered : listing.candidates) {
            if (outcome.imported == source.perRun) {
                exhausted = false;
                break;
            }
            if (state.has(offered.id))
                continue;
            QString problem;
            std::optional<Candidate> candidate = offered;
            if (source.kind == Source::Kind::Met) {
                if (++lookups > source.perRun * metLookupsPerPicture) {
                    exhausted = false;
                    break;
                }
                candidate = detailOf(offered, &problem);
            }
            if (candidate && arrive(source, state, *candidate, &problem)) {
                ++outcome.imported;
            } else {
                qCWarning(lcServer).noquote() << u"%1: item %2 left out: %3"_s.arg(
                    source.name, offered.id.left(200).simplified(), problem);
                lastProblem = problem;
                exhausted = false; // worth another try with the next run
            }
            // A server that asked to wait longer than we do is left alone until next time.
            if (m_busy)
                break;
        }
        // Only the Art Institute's search is read page by page, up to an empty page; an
        // unchanged one was read to its end before.
        if (source.kind != Source::Kind::Artic ||
            (listing.candidates.isEmpty() && !listing.notModified) || m_busy)
            break;
    }
    // An answer with pictures left to take, or to try again, must be read again next
    // time, changed or not.
    if (!exhausted)
        state.setValidators(listed, {});
    keepLimit(source, state);
    QString error;
    if (!state.save(&error))
        qCWarning(lcServer).noquote() << "cannot save the import state:" << error;
    outcome.message = outcome.worked
                          ? u"%1: %2 new picture%3 in '%4'"_s.arg(source.name)
                                .arg(outcome.imported)
                                .arg(outcome.imported == 1 ? u""_s : u"s"_s)
                                .arg(source.category)
                          : u"%1: skipped until the next run: %2"_s.arg(source.name, lastProblem);
    return outcome;
}

} // namespace server::import
