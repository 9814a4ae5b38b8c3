// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// Whether a downloaded picture arrived whole. Qt decodes a cut JPEG into a picture
// whose lower part is grey and only logs a warning, so the file's own structure is
// read instead: a JPEG is whole when its segments and scans lead to the end-of-image
// marker (what follows that marker is ignored). Data that is not a JPEG passes; its
// decoder judges it.
namespace WholePicture {

bool isWhole(QByteArrayView data);

} // namespace WholePicture
