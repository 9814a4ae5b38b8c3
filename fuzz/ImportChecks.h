// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every answer a source gives must come to, read by the importer's parsers.

#include "FuzzSupport.h"

#include "SourceParsers.h"

namespace ImportChecks {

inline bool isClean(const QString& value)
{
    for (const QChar c : value)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    return value == value.trimmed() && value.toUtf8().size() <= PictureCredits::maxValueBytes;
}

inline void checkParsed(const server::import::SourceParsers::Parsed& parsed)
{
    FUZZ_CHECK(parsed.candidates.size() <= server::import::SourceParsers::maxCandidates);
    for (const server::import::Candidate& candidate : parsed.candidates) {
        FUZZ_CHECK(!candidate.id.isEmpty());
        FUZZ_CHECK(!candidate.image.isEmpty());
        for (const PictureCredits::Field& field : PictureCredits::fields)
            FUZZ_CHECK(isClean(candidate.credits.*field.value));
    }
}

} // namespace ImportChecks
