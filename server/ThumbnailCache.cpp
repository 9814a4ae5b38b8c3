#include "ThumbnailCache.h"

#include "Picture.h"
#include "ServerLog.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace server {

namespace {

// Scales to cover width × height and crops the middle, as the page grid shows it.
QByteArray render(const QString& path)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isEmpty())
        return {};
    const QSize target(ThumbnailCache::width, ThumbnailCache::height);
    const QSize scaled = size.scaled(target, Qt::KeepAspectRatioByExpanding);
    if (scaled.width() < size.width())
        reader.setScaledSize(scaled);
    QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcServer) << "cannot read" << path << reader.errorString();
        return {};
    }
    image = image.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    image = image.copy(
        QRect(QPoint((image.width() - target.width()) / 2, (image.height() - target.height()) / 2),
              target));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return jpeg;
}

} // namespace

QByteArray ThumbnailCache::thumbnail(const Picture& picture)
{
    const QDateTime modified = QFileInfo(picture.absolutePath).lastModified();
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.constFind(picture.id);
        if (it != m_entries.cend() && it->modified == modified)
            return it->jpeg;
    }
    // Rendered outside the lock: two requests for a new thumbnail may both render it.
    const QByteArray jpeg = render(picture.absolutePath);
    std::lock_guard lock(m_mutex);
    if (m_entries.size() >= m_capacity)
        m_entries.clear();
    m_entries.insert(picture.id, {modified, jpeg});
    return jpeg;
}

} // namespace server
