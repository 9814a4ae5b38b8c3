// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QCache>
#include <QString>

#include <mutex>

namespace server {

struct Picture;

// The credits of the pictures asked about, read on the first request for each, from its
// sidecar "NAME.EXT.json" and its metadata, and again only when either file changed.
// Never during a library scan: reading a file's metadata costs a file open, and a
// library holds many thousands. Shared by the request threads.
class CreditsCache
{
public:
    explicit CreditsCache(QString libraryPath, qsizetype capacity = 20000);

    PictureCredits credits(const Picture& picture);

private:
    struct Entry
    {
        QByteArray stamp; // size and modification time of the picture and its sidecar
        PictureCredits credits;
    };

    PictureCredits read(const Picture& picture) const;

    const QString m_libraryPath;
    std::mutex m_mutex;
    QCache<QString, Entry> m_entries; // by the picture's path
};

} // namespace server
