// SPDX-License-Identifier: GPL-3.0-or-later
#include "Picture.h"

#include <QFileInfo>

namespace server {

QString Picture::title() const
{
    return QFileInfo(relativePath).completeBaseName();
}

QByteArray Picture::mimeType() const
{
    return suffix == u"png" ? QByteArrayLiteral("image/png") : QByteArrayLiteral("image/jpeg");
}

} // namespace server
