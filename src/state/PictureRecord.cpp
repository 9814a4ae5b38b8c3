// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/PictureRecord.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr qsizetype fieldCount = 4;
}

PictureRecord PictureRecord::fromLines(const QStringList& lines)
{
    return {lines.value(0), lines.value(1), lines.value(2), lines.value(3),
            PictureCredits::fromLines(lines.mid(fieldCount))};
}

PictureRecord PictureRecord::fromTag(const QString& tag)
{
    QStringList pieces = tag.split(tagSeparator);
    for (qsizetype i = fieldCount; i < pieces.size(); ++i)
        pieces[i] = QUrl::fromPercentEncoding(pieces[i].toUtf8()); // every "%" is an escape
    return fromLines(pieces);
}

QString PictureRecord::toTag() const
{
    QStringList pieces{pageUrl, pictureUrl, field3, field4};
    for (const QString& line : credits.toLines())
        pieces << QString(line).replace(u'%', u"%25"_s).replace(u'!', u"%21"_s);
    return pieces.join(tagSeparator);
}
