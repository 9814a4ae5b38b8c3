// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/CalendarText.h"

#include <QStringDecoder>

namespace CalendarText {

QString problemWith(const QByteArray& bytes)
{
    if (bytes.size() > maxBytes)
        return QStringLiteral("the file is over 10 MiB");
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || text.contains(QChar(0)))
        return QStringLiteral("the file is not UTF-8 text");
    // The BOM is gone with the decoding; blank lines before the calendar are harmless.
    if (!text.trimmed().startsWith(QStringLiteral("BEGIN:VCALENDAR"), Qt::CaseInsensitive))
        return QStringLiteral("the file is not an iCalendar file");
    if (bytes.count("BEGIN:VEVENT") > maxEvents)
        return QStringLiteral("the file has more than %1 events").arg(maxEvents);
    return {};
}

QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return line.simplified();
}

} // namespace CalendarText
