// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"
#include "state/TextLines.h"

#include <QString>

namespace platform {
struct HttpResult;
}

// The server's picture answer: the record of the current picture as LF-separated
// lines (page URL, picture URL, id, category, then "Key: value" credit lines), or "-1"
// when it has none to offer.
namespace PictureAnswer {

// The answer is read up to this many bytes and padded with spaces to as many
// characters, as the installer expects it.
inline constexpr int answerBytes = 4096;
// One byte more is asked for, to tell an answer that went past the limit.
inline constexpr int readBytes = answerBytes + 1;
inline const QString nothingOffered = QStringLiteral("-1");

// The text a record request yields: the start of the body, whatever the status (an
// error page is an answer too), padded with spaces; only spaces when no answer came;
// "-1" when the address cannot be fetched at all. A body longer than `answerBytes`
// loses the line the limit cut, so no cut value is ever read as a whole one.
QString fromTransfer(const platform::HttpResult& result, bool fetchable);

// Spaces at both ends removed; CR, LF and tabs stay.
inline QString trimSpaces(const QString& text)
{
    return TextLines::trimSpaces(text);
}

// Splits at every LF; missing fields are left empty, pieces past the fourth are read as
// credit lines in any order (others are ignored). One CR ending a piece is dropped, so
// a server with CR LF lines does not leave it in the stored record.
PictureRecord parse(const QString& answer);

// The query that asks the server for a picture of one category: the name without its
// outer spaces, percent-encoded so that the server receives exactly that name.
QString categoryQuery(const QString& category);

} // namespace PictureAnswer
