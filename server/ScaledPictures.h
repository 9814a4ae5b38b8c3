// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

#include <mutex>

namespace server {

struct Picture;

// JPEG pictures at the size a widget shows them, or a wallpaper covers the screen, made
// once per picture and size and kept as files in a folder of the server's own (the
// library may be read-only or shared), at most `capacity` bytes in all: the least
// recently served go first. Asked sizes round up to a few steps, so no one can fill the
// folder with variety.
class ScaledPictures
{
public:
    // An empty folder keeps nothing: every picture goes out whole.
    ScaledPictures(const QString& folder, qint64 capacity);

    // Each side rounded up to the next step of 64 to 4096; empty when a side is past them.
    static QSize step(QSize shown);

    // The file of `picture` scaled to cover `step`, made now if need be; empty when the
    // picture is no JPEG, is not larger, or cannot be scaled or kept: then the picture
    // itself is the answer.
    QString file(const Picture& picture, QSize step);
    // Whether file() may make one for `picture`: false means it never does.
    bool scales(const Picture& picture) const;
    // The file of `picture` scaled to cover `step` if it was made before; else empty.
    QString kept(const Picture& picture, QSize step);

private:
    QString pathOf(const Picture& picture, QSize step) const;
    QString make(const Picture& picture, QSize step, const QString& path);
    // Removes the least recently served files, never the one just `made`.
    void keepWithinCapacity(qint64 added, const QString& made);

    const QString m_folder;
    const qint64 m_capacity;
    std::mutex m_mutex; // guards m_bytes and the removal of old files
    qint64 m_bytes = 0;
};

} // namespace server
