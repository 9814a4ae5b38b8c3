// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace server {

// Ids are derived from the picture's path relative to the library, so a saved gallery
// keeps pointing at the same picture across restarts and after pictures are added.
// 53 bits keep the decimal form short and exact in any JSON or script reader.
constexpr quint64 pictureIdMask = (quint64(1) << 53) - 1;

// FNV-1a (64 bit) of the UTF-8 relative path, folded to 53 bits. `attempt` > 0 salts
// the path; the library uses it, in sorted path order, when two paths collide.
quint64 pictureId(const QString& relativePath, int attempt = 0);

} // namespace server
