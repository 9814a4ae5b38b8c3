// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureScaling.h"

#include "ServerLog.h"

#include <QBuffer>
#include <QImageReader>

namespace server::PictureScaling {

QImage covering(const QString& path, QSize target)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isEmpty())
        return {};
    const QSize scaled = size.scaled(target, Qt::KeepAspectRatioByExpanding);
    if (scaled.width() < size.width())
        reader.setScaledSize(scaled);
    QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcServer) << "cannot read" << path << reader.errorString();
        return {};
    }
    return image.size() == scaled
               ? image
               : image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QByteArray jpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

} // namespace server::PictureScaling
