// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QString>
#include <QStringList>

// The record of one picture: where its page and its file are, the server's id of it,
// and a fourth field carried unchanged, then its credits. It travels as four lines and
// a line per credit in the record file and the gallery files, and as the picture tag:
// the lines joined by "!?!". A reader of the four lines alone sees what it always saw.
// The four fields identify the picture; credits only describe it.
struct PictureRecord
{
    QString pageUrl;
    QString pictureUrl;
    QString field3;
    QString field4;
    PictureCredits credits;

    static inline const QString tagSeparator = QStringLiteral("!?!");

    // Missing lines leave their fields empty; lines past the fourth are read as credits.
    static PictureRecord fromLines(const QStringList& lines);
    QStringList toLines() const
    {
        return QStringList{pageUrl, pictureUrl, field3, field4} + credits.toLines();
    }

    // A field that itself holds "!?!" shifts the later fields, as any reader of the
    // tag sees them. A credit value may hold anything printable: its line is written
    // into the tag with "%" and "!" percent-encoded, so it never holds the separator.
    static PictureRecord fromTag(const QString& tag);
    QString toTag() const;

    bool isSamePicture(const PictureRecord& other) const
    {
        return pageUrl == other.pageUrl && pictureUrl == other.pictureUrl &&
               field3 == other.field3 && field4 == other.field4;
    }

    bool operator==(const PictureRecord&) const = default;
};
