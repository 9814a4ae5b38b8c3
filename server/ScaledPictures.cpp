// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScaledPictures.h"

#include "Picture.h"
#include "PictureScaling.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace server {

namespace {

// Up to 4096: a wallpaper covers the largest screens (a 4K one is 3840 wide).
constexpr int steps[] = {64, 128, 256, 512, 1024, 2048, 4096};

int stepOf(int side)
{
    for (const int step : steps) {
        if (side <= step)
            return step;
    }
    return 0;
}

QFileInfoList keptFiles(const QString& folder)
{
    return QDir(folder).entryInfoList({QStringLiteral("*.jpg")}, QDir::Files,
                                      QDir::Time | QDir::Reversed); // oldest first
}

} // namespace

ScaledPictures::ScaledPictures(const QString& folder, qint64 capacity)
    : m_folder(folder.isEmpty() || !QDir().mkpath(folder) ? QString() : folder),
      m_capacity(capacity)
{
    for (const QFileInfo& kept : keptFiles(m_folder))
        m_bytes += kept.size();
    keepWithinCapacity(0, {});
}

QSize ScaledPictures::step(QSize shown)
{
    if (shown.width() <= 0 || shown.height() <= 0)
        return {};
    const QSize rounded(stepOf(shown.width()), stepOf(shown.height()));
    return rounded.width() && rounded.height() ? rounded : QSize();
}

QString ScaledPictures::file(const Picture& picture, QSize step)
{
    if (!scales(picture) || step.isEmpty())
        return {};
    const QString path = kept(picture, step);
    return path.isEmpty() ? make(picture, step, pathOf(picture, step)) : path;
}

bool ScaledPictures::scales(const Picture& picture) const
{
    return !m_folder.isEmpty() && picture.suffix == u"jpg";
}

QString ScaledPictures::kept(const Picture& picture, QSize step)
{
    if (!scales(picture) || step.isEmpty())
        return {};
    const QString path = pathOf(picture, step);
    QFile kept(path);
    if (!kept.exists())
        return {};
    // Served again: the newest, so the last to go.
    kept.open(QIODevice::ReadWrite);
    kept.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    return path;
}

QString ScaledPictures::pathOf(const Picture& picture, QSize step) const
{
    const QFileInfo source(picture.absolutePath);
    // A changed picture gets a new name; the old one ages out.
    return m_folder + QStringLiteral("/%1-%2x%3-%4-%5.jpg")
                          .arg(picture.id)
                          .arg(step.width())
                          .arg(step.height())
                          .arg(source.lastModified().toMSecsSinceEpoch())
                          .arg(source.size());
}

QString ScaledPictures::make(const Picture& picture, QSize step, const QString& path)
{
    const QSize size = QImageReader(picture.absolutePath).size();
    if (size.isEmpty() || size.scaled(step, Qt::KeepAspectRatioByExpanding).width() >= size.width())
        return {};
    const QImage image = PictureScaling::covering(picture.absolutePath, step);
    const QByteArray jpeg = image.isNull() ? QByteArray() : PictureScaling::jpeg(image);
    // Two requests for the same new size may both get here; the later rename wins.
    if (jpeg.isEmpty() || !platform::AtomicFile::write(path, jpeg))
        return {};
    keepWithinCapacity(jpeg.size(), path);
    return path;
}

void ScaledPictures::keepWithinCapacity(qint64 added, const QString& made)
{
    std::lock_guard lock(m_mutex);
    m_bytes += added;
    if (m_bytes <= m_capacity)
        return;
    // Down to three quarters, so that the folder is not listed at every new picture.
    const QFileInfoList files = keptFiles(m_folder);
    m_bytes = 0;
    for (const QFileInfo& kept : files)
        m_bytes += kept.size();
    for (const QFileInfo& kept : files) {
        if (m_bytes <= m_capacity * 3 / 4)
            break;
        if (kept.filePath() != made && QFile::remove(kept.filePath()))
            m_bytes -= kept.size();
    }
}

} // namespace server
