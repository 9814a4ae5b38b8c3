// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/PictureRecord.h"

PictureRecord PictureRecord::fromLines(const QStringList& lines)
{
    return {lines.value(0), lines.value(1), lines.value(2), lines.value(3),
            PictureCredits::fromLines(lines.mid(4))};
}

PictureRecord PictureRecord::fromTag(const QString& tag)
{
    return fromLines(tag.split(tagSeparator));
}
