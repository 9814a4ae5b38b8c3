// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>

#include <mutex>
#include <optional>

namespace server {

struct Picture;

// Small JPEG previews for the pages, made on first request and kept in memory (bounded)
// until the file changes. Decoding goes straight to the small size, never full size.
class ThumbnailCache
{
public:
    static constexpr int width = 360;
    static constexpr int height = 270;

    explicit ThumbnailCache(qsizetype capacity = 512) : m_capacity(capacity) {}

    // The preview's JPEG bytes; empty unless the file is a whole picture.
    QByteArray thumbnail(const Picture& picture);
    // What thumbnail() gives without decoding: nothing when it would have to.
    std::optional<QByteArray> cached(const Picture& picture);

private:
    struct Entry
    {
        QDateTime modified;
        QByteArray jpeg;
    };

    const qsizetype m_capacity;
    std::mutex m_mutex;
    QHash<quint64, Entry> m_entries;
};

} // namespace server
