// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QImage>
#include <QString>

namespace PictureLoader {

// Decodes a picture for a control of `shownSize` device pixels. Larger pictures are
// decoded straight to that size, never at full resolution; anything but a whole
// picture (see platform/WholeImage.h) gives a null image.
QImage load(const QString& path, const QSize& shownSize);

// The same on a thread of the global pool, for a caller with other work meanwhile.
QFuture<QImage> loadLater(const QString& path, const QSize& shownSize);

} // namespace PictureLoader
