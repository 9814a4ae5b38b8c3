// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThumbnailCache.h"

#include "Picture.h"
#include "PictureScaling.h"

#include <QFileInfo>

namespace server {

namespace {

// Scales to cover width × height and crops the middle, as the page grid shows it.
QByteArray render(const QString& path)
{
    const QSize target(ThumbnailCache::width, ThumbnailCache::height);
    const QImage image = PictureScaling::covering(path, target);
    if (image.isNull())
        return {};
    return PictureScaling::jpeg(image.copy(
        QRect(QPoint((image.width() - target.width()) / 2, (image.height() - target.height()) / 2),
              target)));
}

} // namespace

std::optional<QByteArray> ThumbnailCache::cached(const Picture& picture)
{
    const QDateTime modified = QFileInfo(picture.absolutePath).lastModified();
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.constFind(picture.id);
    if (it != m_entries.cend() && it->modified == modified)
        return it->jpeg;
    return std::nullopt;
}

QByteArray ThumbnailCache::thumbnail(const Picture& picture)
{
    if (const std::optional<QByteArray> jpeg = cached(picture))
        return *jpeg;
    const QDateTime modified = QFileInfo(picture.absolutePath).lastModified();
    // Rendered outside the lock: two requests for a new thumbnail may both render it.
    const QByteArray jpeg = render(picture.absolutePath);
    std::lock_guard lock(m_mutex);
    if (m_entries.size() >= m_capacity)
        m_entries.clear();
    m_entries.insert(picture.id, {modified, jpeg});
    return jpeg;
}

} // namespace server
