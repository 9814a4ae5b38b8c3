// SPDX-License-Identifier: GPL-3.0-or-later
// Our own code around the iCalendar parser: the checks a calendar file passes before it
// is parsed, the events it drops before the parse, a summary made one line of text, a
// day's tooltip, and Calendars.dat.
#include "FuzzSupport.h"

#include "calendar/CalendarSlice.h"
#include "calendar/CalendarText.h"
#include "calendar/DayNotes.h"
#include "state/CalendarList.h"

namespace {

// A file the checks let through is UTF-8, small enough, and starts as a calendar.
void checkFile(const QByteArray& bytes)
{
    if (!CalendarText::problemWith(bytes).isEmpty())
        return;
    FUZZ_CHECK(bytes.size() <= CalendarText::maxBytes);
    FUZZ_CHECK(FuzzSupport::isValidUtf8(bytes) && !bytes.contains('\0'));
    FUZZ_CHECK(
        QString::fromUtf8(bytes).trimmed().startsWith(u"BEGIN:VCALENDAR", Qt::CaseInsensitive));
}

// The slice drops whole events only: what it keeps of any other component stays, a
// slice of the slice is the same, and a span over every date keeps the text whole.
void checkSlice(const QByteArray& bytes)
{
    const QDate from(2026, 11, 1), to(2027, 1, 31);
    const QByteArray slice = CalendarSlice::near(bytes, from, to);
    FUZZ_CHECK(slice.size() <= bytes.size());
    FUZZ_CHECK(slice.count("BEGIN:VTIMEZONE") == bytes.count("BEGIN:VTIMEZONE"));
    FUZZ_CHECK(slice.count("END:VCALENDAR") == bytes.count("END:VCALENDAR"));
    FUZZ_CHECK(CalendarSlice::near(slice, from, to) == slice);
    FUZZ_CHECK(CalendarSlice::near(bytes, QDate(0, 1, 1), QDate(9999, 12, 31)) == bytes);
}

// One line: no control character, no space at either end or twice; the same made again.
void checkLine(const QString& text)
{
    const QString line = CalendarText::oneLine(text);
    for (const QChar c : line)
        FUZZ_CHECK(c.category() != QChar::Other_Control && c != QChar::LineSeparator);
    FUZZ_CHECK(line == line.trimmed() && !line.contains(QStringLiteral("  ")));
    FUZZ_CHECK(CalendarText::oneLine(line) == line);
    // A day's text has at most its limit of lines and the count of the rest.
    const DayNotes notes{line.split(u' '), {line}};
    FUZZ_CHECK(DayText::describe(notes, int(text.size())).count(u'\n') <= DayText::maxLines);
}

// Calendars.dat: what is read names real sources, and is read back as it was written.
void checkList(const QByteArray& bytes)
{
    const QString path = FuzzSupport::scratchPath(QStringLiteral("Calendars.dat"));
    FuzzSupport::writeFile(path, bytes);
    const QList<CalendarList::Entry> entries = CalendarList::read(path);
    for (const CalendarList::Entry& e : entries)
        FUZZ_CHECK(CalendarList::isSource(e.source) && !e.name.contains(u'\t'));
    FUZZ_CHECK(CalendarList::write(path, entries));
    FUZZ_CHECK(CalendarList::read(path) == entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::quietLogs();
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    checkFile(bytes);
    checkSlice(bytes);
    checkLine(QString::fromUtf8(bytes));
    checkList(bytes);
    return 0;
}
