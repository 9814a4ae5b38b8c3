// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordAnswer.h"

#include "Picture.h"
#include "ProtocolPaths.h"

#include <QStringList>

namespace server {

QByteArray recordAnswer(const QString& baseUrl, const Picture* picture)
{
    if (!picture)
        return QByteArrayLiteral("-1");
    QString category = picture->category;
    category.replace(u'\n', u' ').replace(u'\r', u' ');
    const QString id = QString::number(picture->id);
    const QStringList lines = {baseUrl + paths::picturePage + id,
                               baseUrl + paths::pictureFile + picture->fileName(), id, category};
    return lines.join(u'\n').toUtf8();
}

} // namespace server
