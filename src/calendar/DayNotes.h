// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// What the calendars say of one day, in the words its tooltip and accessible description
// use: its holidays, then its events ("09:30 Dentist"), each a line of plain text.
struct DayNotes
{
    QStringList holidays;
    QStringList events;

    bool operator==(const DayNotes&) const = default;
};

namespace DayText {

inline constexpr int maxLines = 8;

// The day's notes, then "N pictures this day" when it has pictures; past maxLines, the
// rest is counted ("and 3 more"). Empty for a day with nothing to say.
QString describe(const DayNotes& notes, int pictures);

} // namespace DayText
