// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/CategoryList.h"

#include "state/TextLines.h"

#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace CategoryList {

namespace {
bool isListType(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type.isEmpty() || type == "text/plain" || type == "application/octet-stream";
}

// Line ends and tabs aside; a byte order mark too, which would not survive the file.
bool isControl(QChar c)
{
    return (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n' && c != u'\t') ||
           c == QChar::ByteOrderMark;
}
} // namespace

std::optional<QStringList> fromAnswer(const QByteArray& body, const QByteArray& contentType)
{
    if (body.size() > maxBytes || !isListType(contentType))
        return std::nullopt;
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8);
    const QString text = toUtf16(body);
    // A page sent as plain text starts with its markup.
    if (toUtf16.hasError() || std::any_of(text.begin(), text.end(), isControl) ||
        text.trimmed().startsWith(u'<'))
        return std::nullopt;
    QStringList names;
    QSet<QString> seen;
    for (const QString& line : TextLines::split(body)) {
        if (line.size() > maxNameLength)
            return std::nullopt;
        if (!line.trimmed().isEmpty() && !seen.contains(line)) {
            seen.insert(line);
            names << line;
        }
    }
    return names.isEmpty() ? std::nullopt : std::optional(names);
}

std::optional<int> keepChoice(int index, const QStringList& before, const QStringList& after)
{
    if (index < firstNamePlace)
        return index;
    const qsizetype place =
        index - firstNamePlace < before.size() ? after.indexOf(before[index - firstNamePlace]) : -1;
    return place < 0 ? std::nullopt : std::optional(int(place) + firstNamePlace);
}

} // namespace CategoryList
