// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureId.h"

namespace server {

quint64 pictureId(const QString& relativePath, int attempt)
{
    QByteArray bytes = relativePath.toUtf8();
    if (attempt > 0)
        bytes += '\n' + QByteArray::number(attempt);
    quint64 hash = 14695981039346656037ULL;
    for (const char c : std::as_const(bytes)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    // Fold the high bits in rather than dropping them.
    return (hash ^ (hash >> 53)) & pictureIdMask;
}

} // namespace server
