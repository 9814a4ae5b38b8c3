// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/CalendarText.h"

#include <QRegularExpression>

namespace CalendarText {

QString problemWith(const QByteArray& bytes)
{
    if (bytes.size() > maxBytes)
        return QStringLiteral("the file is over 10 MiB");
    // Checked where it lies: a copy of a large file as UTF-16 costs more than its parse.
    if (!bytes.isValidUtf8() || bytes.contains('\0'))
        return QStringLiteral("the file is not UTF-8 text");
    // A byte order mark and blank lines before the calendar are harmless.
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    while (!text.isEmpty() && QChar::isSpace(uchar(text.front())))
        text = text.sliced(1);
    const QByteArrayView begin("BEGIN:VCALENDAR");
    if (text.size() < begin.size() || qstrnicmp(text.data(), begin.data(), begin.size()) != 0)
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

QString shortTimeFormat(const QLocale& locale)
{
    static const QRegularExpression seconds(QStringLiteral("[.:]?s+"));
    return locale.timeFormat(QLocale::ShortFormat).remove(seconds);
}

} // namespace CalendarText
