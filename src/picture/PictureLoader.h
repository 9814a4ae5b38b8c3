#pragma once

#include <QFuture>
#include <QImage>
#include <QString>

namespace PictureLoader {

// Decodes a picture for a control of `shownSize` device pixels. Larger pictures are
// decoded straight to that size, never at full resolution; a file the loader rejects
// gives a null image.
QImage load(const QString& path, const QSize& shownSize);

// The same, on a thread of the global pool.
QFuture<QImage> loadInBackground(const QString& path, const QSize& shownSize);

} // namespace PictureLoader
