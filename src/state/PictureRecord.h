// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The record of one picture: where its page and its file are, the server's id of it,
// and a fourth field carried unchanged. It travels as four lines in the record file
// and the gallery files, and as the picture tag: the fields joined by "!?!".
struct PictureRecord
{
    QString pageUrl;
    QString pictureUrl;
    QString field3;
    QString field4;

    static inline const QString tagSeparator = QStringLiteral("!?!");

    // Missing lines leave their fields empty; lines past the fourth are ignored.
    static PictureRecord fromLines(const QStringList& lines);
    QStringList toLines() const { return {pageUrl, pictureUrl, field3, field4}; }

    // A field that itself holds "!?!" shifts the later fields, as any reader of the
    // tag sees them.
    static PictureRecord fromTag(const QString& tag);
    QString toTag() const { return toLines().join(tagSeparator); }

    bool operator==(const PictureRecord&) const = default;
};
