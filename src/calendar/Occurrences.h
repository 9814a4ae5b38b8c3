// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <QTimeZone>

// The days an iCalendar file's events fall on within a span of days, computed with
// libical: recurrence rules, EXDATE and RDATE, instances overridden by RECURRENCE-ID,
// time zones (embedded, known by name, UTC or floating), all-day events as dates, and
// events that span several days. Cancelled events, to-dos and journals are left out.
struct Occurrence
{
    QDate first; // the days it covers, in the local time zone
    QDate last;
    QTime start;     // its start on `first`, in the local time zone; null for an all-day event
    QString summary; // one line of plain text

    bool operator==(const Occurrence&) const = default;
};

struct Occurrences
{
    QList<Occurrence> items; // sorted by first day, then start
    QString error;           // why the file was not read; then `items` is empty

    // At most this many occurrences of one event begin in one month: a rule that
    // repeats every minute marks the days without flooding the memory.
    static constexpr int maxPerMonth = 100;

    // The occurrences of `text` that touch the days `from` to `to` (inclusive), seen in
    // `local`. Not reentrant: libical keeps process-wide state (its time-zone cache),
    // so one thread alone may call it.
    static Occurrences of(const QByteArray& text, QDate from, QDate to, const QTimeZone& local);
};
