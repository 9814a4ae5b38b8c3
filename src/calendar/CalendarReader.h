// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calendar/Occurrences.h"

#include <QtPlugin>

// The iCalendar reader (Occurrences::of) lives in a module of its own,
// libartcal-calendar.so (a Qt plugin), loaded with the first calendar read: libical is
// then never loaded by a widget that has no calendar, nor before its window is up.
class CalendarReader
{
public:
    virtual ~CalendarReader() = default;
    virtual Occurrences read(const QByteArray& text, QDate from, QDate to,
                             const QTimeZone& local) = 0;
};

// Changed with every change to the class above or to Occurrences, so that a module
// built against other ones (from another build) is refused instead of called.
#define ARTCAL_CALENDAR_READER_IID "io.github.artcal.CalendarReader/1"
Q_DECLARE_INTERFACE(CalendarReader, ARTCAL_CALENDAR_READER_IID)
