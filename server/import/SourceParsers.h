// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImportSource.h"

#include <QByteArray>
#include <QList>

// The answers of each kind of source, read into the pictures they offer. Pure: outside
// input is tested and fuzzed here without a network. Image and detail addresses are as
// the answer gives them; the importer resolves them against the answer's address.
namespace server::import::SourceParsers {

// No answer is read for more pictures than this: a feed of 100,000 items costs no more
// than one of a thousand.
inline constexpr qsizetype maxCandidates = 1000;

struct Parsed
{
    QList<Candidate> candidates;
    QString problem; // set when the answer is not what the source sends
};

// The Art Institute of Chicago's /api/v1/artworks/search answer.
Parsed artic(const QByteArray& answer);
// The Met's /search answer: candidates with an id and a detail address only.
Parsed metSearch(const QByteArray& answer, const QUrl& base);
// The Met's /objects/{id} answer: one candidate, or none when it is not a public-domain
// work with a primary image.
Parsed metObject(const QByteArray& answer);
// The MediaWiki API's imageinfo answer for the pictures of the day.
Parsed commonsPotd(const QByteArray& answer);
// An RSS 2.0, Atom or Media RSS feed.
Parsed feed(const QByteArray& answer);

// Text for a credit: markup and entities gone, whitespace one space, one line.
QString plainText(const QString& html);

} // namespace server::import::SourceParsers
