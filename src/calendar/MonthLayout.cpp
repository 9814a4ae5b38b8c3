// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/MonthLayout.h"

#include <QDate>

namespace {
constexpr int columnPitch = 22;
constexpr int rowPitch = 14;
constexpr int firstTop = 34;

// One-digit numbers sit right of two-digit ones so that both look centred in their
// column; day 1 sits one pixel further right still.
int leftOf(int day, int column)
{
    const int base = day == 1 ? 43 : day < 10 ? 42 : 37;
    return base + columnPitch * (column - 1);
}
} // namespace

MonthLayout MonthLayout::of(int year, int month)
{
    const QDate first(year, month, 1);
    MonthLayout layout;
    layout.firstColumn = first.dayOfWeek(); // Qt counts Monday as 1, Sunday as 7
    layout.caption = monthName(month) + u' ' + QString::number(year);

    int column = layout.firstColumn;
    int top = firstTop;
    const int length = first.daysInMonth();
    for (int day = 1; day <= length; ++day) {
        if (day > 1 && ++column > 7) {
            column = 1;
            top += rowPitch;
        }
        layout.days.append({leftOf(day, column), top});
    }
    layout.rows = (top - firstTop) / rowPitch + 1;
    return layout;
}

QString MonthLayout::monthName(int month)
{
    static const char* const names[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
    return QString::fromLatin1(names[(month - 1) % 12]);
}
