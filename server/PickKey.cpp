// SPDX-License-Identifier: GPL-3.0-or-later
#include "PickKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace server {

namespace {

constexpr qint64 minKeySize = 16;
constexpr qint64 maxKeySize = 4096;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Links a new key into place unless a key is there already; false with `problem` set
// when neither is the case afterwards.
bool create(const QString& path, QString& problem)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        problem = u"cannot create the folder "_s + folder;
        return false;
    }
    std::array<quint32, 8> random;
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const QByteArray hex =
        QByteArray(reinterpret_cast<const char*>(random.data()), sizeof(random)).toHex() + '\n';

    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int file = ::mkstemp(temporary.data()); // mode 0600
    if (file < 0) {
        problem = u"cannot write a key into "_s + folder + u": "_s + systemError();
        return false;
    }
    const bool written =
        ::write(file, hex.constData(), size_t(hex.size())) == hex.size() && ::fsync(file) == 0;
    ::close(file);
    const bool linked =
        written && (::link(temporary.constData(), QFile::encodeName(path)) == 0 || errno == EEXIST);
    if (!linked)
        problem = u"cannot write the key file "_s + path + u": "_s + systemError();
    ::unlink(temporary.constData());
    return linked;
}

} // namespace

PickKey PickKey::loadOrCreate(const QString& path)
{
    PickKey result;
    if (!QFileInfo::exists(path) && !create(path, result.problem))
        return result;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.size() < minKeySize || info.size() > maxKeySize ||
        !file.open(QIODevice::ReadOnly)) {
        result.problem =
            u"the key file "_s + path +
            u" must be a readable file of %1 to %2 bytes"_s.arg(minKeySize).arg(maxKeySize);
        return result;
    }
    result.key = file.readAll();
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && (status.st_mode & 077))
        result.problem = u"the key file "_s + path +
                         u" can be read by other users, who could sign picks (chmod 600 it)"_s;
    return result;
}

} // namespace server
