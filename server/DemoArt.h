// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QImage>
#include <QStringList>

namespace server {

// The demo library: procedurally painted pictures in five categories, the same ones the
// widget's installed category list names. Every picture depends only on its category,
// its index and the seed.
namespace DemoArt {

const QStringList& categories();
constexpr int picturesPerCategory = 6;
constexpr QSize pictureSize(1024, 768);

QString title(int category, int index);
QImage paint(int category, int index, quint32 seed);

// Paints every picture into `root/<category>/<title>.jpg`, in parallel, each written
// atomically, and marks the folder as painted. False when a folder or file cannot be
// written.
bool renderLibrary(const QString& root, quint32 seed);

// The credits of a painted picture (`relativePath` is "<category>/<title>.jpg") in a
// library this server painted; none for any other picture. Made here, not kept in the
// files: the pictures are the server's own, free for any use.
PictureCredits credits(const QString& root, const QString& relativePath);

} // namespace DemoArt

} // namespace server
