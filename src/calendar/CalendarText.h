// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>

// What a calendar file must be before the iCalendar parser sees it, and how its text is
// shown.
namespace CalendarText {

inline constexpr qint64 maxBytes = 10 * 1024 * 1024;
inline constexpr int maxEvents = 20000;

// Why `bytes` is not a calendar we read, in words for the dialog; empty when it is one.
// A byte order mark, CR LF or LF line ends and folded lines are all fine.
QString problemWith(const QByteArray& bytes);

// A summary as one line of plain text: control characters (line ends, tabs) become
// spaces, runs of spaces one.
QString oneLine(const QString& text);

// The locale's short time format in hours and minutes ("09:30"): some locales, C among
// them, keep the seconds in it.
QString shortTimeFormat(const QLocale& locale);

} // namespace CalendarText
