// SPDX-License-Identifier: GPL-3.0-or-later
#include "CreditsCache.h"

#include "CreditSources.h"
#include "DemoArt.h"
#include "Picture.h"
#include "PictureMetadata.h"
#include "ServerLog.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace server {

namespace {

QString sidecarPath(const Picture& picture)
{
    return picture.absolutePath + u".json"_s;
}

// Size and time of a plain file, or nothing for anything else: a link could name a
// file outside the library, and opening a pipe would wait for ever.
QByteArray fileStamp(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return "-";
    return QByteArray::number(qint64(info.st_size)) + ' ' +
           QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
           QByteArray::number(qint64(info.st_mtim.tv_nsec));
}

} // namespace

CreditsCache::CreditsCache(QString libraryPath, qsizetype capacity)
    : m_libraryPath(std::move(libraryPath)), m_entries(capacity)
{
}

PictureCredits CreditsCache::credits(const Picture& picture)
{
    const QByteArray stamp =
        fileStamp(picture.absolutePath) + '/' + fileStamp(sidecarPath(picture));
    {
        std::lock_guard lock(m_mutex);
        if (const Entry* entry = m_entries.object(picture.absolutePath);
            entry && entry->stamp == stamp)
            return entry->credits;
    }
    // Read unlocked: the other threads go on meanwhile, and two that ask about the same
    // picture at once read it both.
    const PictureCredits credits = read(picture);
    std::lock_guard lock(m_mutex);
    m_entries.insert(picture.absolutePath, new Entry{stamp, credits});
    return credits;
}

PictureCredits CreditsCache::read(const Picture& picture) const
{
    QStringList problems;
    QJsonObject sidecar;
    QFile sidecarFile(sidecarPath(picture));
    if (fileStamp(sidecarFile.fileName()) != "-" && sidecarFile.open(QIODevice::ReadOnly)) {
        QString problem;
        const QByteArray bytes = sidecarFile.read(CreditSources::maxSidecarBytes + 1);
        if (const auto object = CreditSources::sidecarObject(bytes, &problem))
            sidecar = *object;
        else
            problems.append(u"sidecar ignored, "_s + problem);
    }
    QString problem;
    const MetadataText metadata = fileStamp(picture.absolutePath) != "-"
                                      ? PictureMetadata::read(picture.absolutePath, &problem)
                                      : MetadataText();
    if (!problem.isEmpty())
        problems.append(u"metadata: "_s + problem);
    if (!problems.isEmpty())
        qCWarning(lcServer).noquote()
            << "credits of" << picture.absolutePath << "incomplete:" << problems.join(u"; "_s);
    return CreditSources::merged(sidecar, metadata,
                                 DemoArt::credits(m_libraryPath, picture.relativePath));
}

} // namespace server
