// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureScaling.h"

#include "ServerLog.h"
#include "platform/WholeImage.h"

#include <QBuffer>
#include <QImageReader>

namespace server::PictureScaling {

QImage covering(const QString& path, QSize target)
{
    QSize scaled;
    platform::WholeImage::Result read = platform::WholeImage::read(path, [&](QImageReader& reader) {
        const QSize size = reader.size();
        scaled = size.scaled(target, Qt::KeepAspectRatioByExpanding);
        if (scaled.width() < size.width())
            reader.setScaledSize(scaled);
    });
    if (read.image.isNull())
        qCWarning(lcServer).noquote() << path << read.problem;
    if (read.image.isNull() || scaled.isEmpty())
        return {};
    return read.image.size() == scaled
               ? std::move(read.image)
               : read.image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
