// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>

// The part of a calendar's text that can matter to a span of days: the text with every
// plain event dropped whose times, read without their zones, lie well away from the
// span. The parser then builds only what may be shown: a year's file read for three
// months parses about a quarter of its events.
//
// An event is kept whenever the text alone cannot rule it out: it repeats (RRULE,
// RDATE), stands in for an instance of another (RECURRENCE-ID), holds a component other
// than its alarms, or its times cannot be read here. Everything outside the calendar's own events
// (time zones, to-dos, the calendar's properties) is kept as it is, line for line.
namespace CalendarSlice {

// Days of slack on either side of the span: a time read without its zone lies within
// a day of the same instant anywhere, and the local zone adds another.
inline constexpr int marginDays = 3;

QByteArray near(const QByteArray& text, QDate from, QDate to);

} // namespace CalendarSlice
