// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The rules of My Gallery that need no widget: what a saved picture's file is called,
// the address of the server's gallery page, and when the "Image Added" words show.
namespace GalleryRules {

// The gallery file of a picture: the last "/"-segment of its address plus ".data".
// Characters no file name may hold become "_", an empty name or one that starts with
// "." gets "picture" in front so that it stays a visible file, and a name over the
// file system's 255 bytes is cut to fit and ends in a short hash of the whole segment.
QString fileName(const QString& pictureUrl);

// The server's page listing the saved pictures: their ids in the order given, joined
// by ",", each as written in its gallery file.
QString pageAddress(const QString& serverBase, const QStringList& ids);

// The confirmation blink after a save, by milliseconds since the click: the words
// show until 0.44 s, hide until 0.7 s, show until 1 s, and hide from then on.
inline constexpr qint64 blinkMs = 1000;
bool wordsShown(qint64 elapsedMs);
// When the blink next changes, after `elapsedMs`; blinkMs once it is over.
qint64 nextBlinkChange(qint64 elapsedMs);

} // namespace GalleryRules
