// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform::AtomicFile {

bool write(const QString& path, const std::function<bool(QIODevice&)>& fill, QString* error,
           Access access)
{
    QSaveFile file(path);
    // A private file is private before its first byte is written.
    const bool ok =
        file.open(QIODevice::WriteOnly) &&
        (access == Access::Shared || file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) &&
        fill(file) && file.flush() && file.commit();
    if (!ok && error && file.error() != QFileDevice::NoError)
        *error = file.errorString();
    else if (!ok && error && error->isEmpty())
        *error = QStringLiteral("the content was not written");
    return ok;
}

bool write(const QString& path, const QByteArray& bytes, QString* error, Access access)
{
    return write(
        path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); }, error,
        access);
}

std::optional<QString> createTemporary(const QString& path, const QString& suffix, QString* error)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX") + suffix);
    file.setAutoRemove(false);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return file.fileName();
}

bool moveIntoPlace(const QString& temporary, const QString& path, QString* error)
{
    // A temporary file is private to its owner; a state file is not.
    QFile::setPermissions(temporary, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                         QFile::ReadOther);
    // One rename(2): QFile::rename would not replace an existing file in one step.
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(path).constData()) == 0)
        return true;
    if (error)
        *error = qt_error_string();
    return false;
}

bool linkOrCopy(const QString& from, const QString& to)
{
#ifdef Q_OS_UNIX
    // The state files are replaced by renames, never written in place, so a link keeps
    // what the file held when it was made.
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
#endif
    return QFile::copy(from, to);
}

} // namespace platform::AtomicFile
