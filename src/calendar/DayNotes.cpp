// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/DayNotes.h"

namespace DayText {

QString describe(const DayNotes& notes, int pictures)
{
    QStringList lines = notes.holidays + notes.events;
    if (pictures == 1)
        lines << QStringLiteral("1 picture this day");
    else if (pictures > 1)
        lines << QStringLiteral("%1 pictures this day").arg(pictures);
    if (lines.size() > maxLines) {
        const qsizetype more = lines.size() - maxLines;
        lines.resize(maxLines);
        lines << QStringLiteral("and %1 more").arg(more);
    }
    return lines.join(u'\n');
}

} // namespace DayText
