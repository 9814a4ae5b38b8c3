// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>

// What a picture is and on what terms it may be shown: each field optional. They
// travel as lines after a record's four, "Key: value" in any order, and as keys of a
// history entry. A value is always one line of at most `maxValueBytes` of UTF-8, so no
// metadata can add or change a record line.
struct PictureCredits
{
    QString title;
    QString creator;
    QString date;
    QString licence;
    QString licenceUrl;
    QString source;
    QString credit;

    static constexpr int maxValueBytes = 300;

    // One field's names: its record line's key and its JSON key.
    struct Field
    {
        QString PictureCredits::*value;
        QLatin1StringView lineKey;
        QLatin1StringView jsonKey;
    };
    static const std::array<Field, 7> fields;

    // Controls (CR and LF among them) become spaces, spaces at both ends go, and the
    // rest is cut to `maxValueBytes` of UTF-8 on a character boundary.
    static QString clean(QStringView value);
    // The first characters of `text` that take at most `maxBytes` of UTF-8.
    static QString utf8Prefix(QStringView text, qsizetype maxBytes);

    // Stores a cleaned value; false when `key` names no field.
    bool set(QStringView lineKey, QStringView value);

    bool isEmpty() const;

    // "Key: value" for each known field, in the order of `fields`.
    QStringList toLines() const;
    // Reads "Key: value" lines in any order; other lines are ignored, a later line of a
    // key replaces an earlier one.
    static PictureCredits fromLines(const QStringList& lines);

    QJsonObject toJson() const;
    static PictureCredits fromJson(const QJsonObject& json);

    bool operator==(const PictureCredits&) const = default;
};
