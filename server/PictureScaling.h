// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace server::PictureScaling {

// The picture at `path` scaled to just cover `target` (both sides at least as large, the
// aspect kept). Shrinking JPEGs decode straight to the small size, never at full size.
// Null when the file is no image.
QImage covering(const QString& path, QSize target);
QByteArray jpeg(const QImage& image);

} // namespace server::PictureScaling
