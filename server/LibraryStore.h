// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Library.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace server {

// Holds the current library snapshot for the request threads. A request that finds the
// last check older than the interval compares the folders' modification times and
// rescans when they changed: no watcher, no event loop, and at most one scan at a time.
class LibraryStore
{
public:
    explicit LibraryStore(QString rootPath,
                          std::chrono::milliseconds checkInterval = std::chrono::seconds(2));

    QString rootPath() const { return m_rootPath; }
    // The current snapshot, refreshed first when a check is due and the folders changed.
    std::shared_ptr<const Library> library();
    // Rescans now, whatever the folders' times say.
    void rescan();

private:
    // Modification times of the root and of each folder in it, in nanoseconds.
    QByteArray folderSignature() const;

    const QString m_rootPath;
    const std::chrono::milliseconds m_checkInterval;

    std::mutex m_mutex; // guards the three members below
    std::shared_ptr<const Library> m_library;
    QByteArray m_signature;
    std::chrono::steady_clock::time_point m_lastCheck;

    std::mutex m_scanMutex; // one scan at a time; others keep serving the old snapshot
};

} // namespace server
