// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordAnswer.h"

#include "Picture.h"
#include "ProtocolPaths.h"

#include <QStringList>

namespace server {

// What a widget of four lines reads of the answer.
constexpr qsizetype firstLinesBytes = 1000;

QByteArray recordAnswer(const QString& baseUrl, const Picture* picture,
                        const PictureCredits& credits)
{
    if (!picture)
        return QByteArrayLiteral("-1");
    const QString id = QString::number(picture->id);
    QStringList lines = {baseUrl + paths::picturePage + id,
                         baseUrl + paths::pictureFile + picture->fileName(), id};
    QString category = picture->category;
    category.replace(u'\n', u' ').replace(u'\r', u' ');
    // A folder name takes at most 255 bytes on most file systems, but 255 UTF-16 units,
    // up to 765 bytes, on NTFS and SMB mounts.
    const qsizetype used = (lines.join(u'\n') + u'\n').toUtf8().size();
    lines.append(PictureCredits::utf8Prefix(category, firstLinesBytes - used));
    return (lines + credits.toLines()).join(u'\n').toUtf8();
}

} // namespace server
