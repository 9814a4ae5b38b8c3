// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace server::PictureScaling {

// The picture at `path` scaled to just cover `target` (both sides at least as large, the
// aspect kept). Shrinking JPEGs decode straight to the small size, never at full size.
// Null unless the file is a whole picture (see platform/WholeImage.h): a damaged one
// is never made into a whole-looking small one.
QImage covering(const QString& path, QSize target);
QByteArray jpeg(const QImage& image);

} // namespace server::PictureScaling
