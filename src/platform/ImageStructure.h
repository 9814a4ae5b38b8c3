// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// Whether a picture file reaches the end its own structure announces. Qt's decoders
// paint what is missing of some cut files and report nothing: a GIF cut anywhere, a BMP
// whose pixel rows stop early, a JPEG cut between two scans (a progressive one comes out
// blurred, since Qt's data source ends cut data with an end marker of its own). So
// those three are read here; a PNG needs no such check, since libpng checks every
// chunk and Qt reads to the end chunk. What follows a picture's end is ignored.
namespace platform::ImageStructure {

// Whether `format` (a QImageReader format name) is one whose structure is known here:
// "jpeg", "png", "gif" or "bmp".
bool knows(QByteArrayView format);

// Whether `data`, a file of `format`, is complete; false for a format not known here.
bool isComplete(QByteArrayView format, QByteArrayView data);

} // namespace platform::ImageStructure
