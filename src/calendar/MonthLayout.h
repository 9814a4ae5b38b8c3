// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// Where the day numbers of one month go on the calendar panel: a Monday-first grid
// with a column pitch of 22 and a row pitch of 14 pixels, under the painted header.
struct MonthLayout
{
    struct Place
    {
        int left;
        int top;
        bool operator==(const Place&) const = default;
    };

    int firstColumn = 1; // column of day 1: 1 = Monday … 7 = Sunday
    int rows = 0;        // weeks the month touches (4 to 6)
    QString caption;     // "January 2006"
    QList<Place> days;   // days[d - 1] is the place of day d

    static MonthLayout of(int year, int month);
    static QString monthName(int month);
};
