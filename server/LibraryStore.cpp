// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryStore.h"

#include "ServerLog.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace server {

namespace {

void appendTime(QByteArray& signature, const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return;
    signature += QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                 QByteArray::number(qint64(info.st_mtim.tv_nsec)) + '\n';
}

} // namespace

LibraryStore::LibraryStore(QString rootPath, std::chrono::milliseconds checkInterval)
    : m_rootPath(std::move(rootPath)), m_checkInterval(checkInterval)
{
    rescan();
}

std::shared_ptr<const Library> LibraryStore::library()
{
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(m_mutex);
        if (now - m_lastCheck < m_checkInterval)
            return m_library;
        m_lastCheck = now;
    }
    std::unique_lock scanLock(m_scanMutex, std::try_to_lock);
    if (scanLock.owns_lock()) {
        const QByteArray signature = folderSignature();
        bool changed = false;
        {
            std::lock_guard lock(m_mutex);
            changed = signature != m_signature;
        }
        if (changed) {
            qCInfo(lcServer) << "library changed, rescanning" << m_rootPath;
            scanLock.unlock();
            rescan();
        }
    }
    std::lock_guard lock(m_mutex);
    return m_library;
}

void LibraryStore::rescan()
{
    std::lock_guard scanLock(m_scanMutex);
    // Take the signature before the scan: a change during the scan triggers another.
    const QByteArray signature = folderSignature();
    auto library = std::make_shared<const Library>(Library::scan(m_rootPath));
    qCInfo(lcServer) << "library" << m_rootPath << "has" << library->pictures().size()
                     << "pictures in" << library->categories().size() << "categories";
    std::lock_guard lock(m_mutex);
    m_library = std::move(library);
    m_signature = signature;
    m_lastCheck = std::chrono::steady_clock::now();
}

QByteArray LibraryStore::folderSignature() const
{
    QByteArray signature;
    appendTime(signature, m_rootPath);
    const QDir root(m_rootPath);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        signature += QFile::encodeName(name) + '=';
        appendTime(signature, root.filePath(name));
    }
    return signature;
}

} // namespace server
