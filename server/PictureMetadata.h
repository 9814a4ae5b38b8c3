// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CreditSources.h"

namespace server::PictureMetadata {

// The text of the credit keys (CreditSources::metadataKeys) in the JPEG or PNG file at
// `path`, read with exiv2. When the file cannot be read, or holds metadata too large to
// read, the values found so far, and why in `problem`; exiv2's own warnings are added to
// it. Safe to call from many threads at once.
MetadataText read(const QString& path, QString* problem);

} // namespace server::PictureMetadata
