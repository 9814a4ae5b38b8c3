// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QScopeGuard>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace platform::Module {

namespace {
constexpr qint64 maxModuleBytes = 64 * 1024 * 1024;

// Whether `length` bytes at `offset` lie inside a file of `size` bytes.
bool inside(quint64 offset, quint64 length, quint64 size)
{
    return offset <= size && length <= size - offset;
}

// Why the file at `path` is no whole library of this machine's kind, or empty when it
// is one. The loader maps a library's segments without checking that the file holds
// them: a cut file crashes the widget at its first call (SIGBUS), and a FIFO or a device
// in its place blocks the loader. So the file must be a regular one of a plausible size
// whose ELF header, program headers, loaded segments and section headers all lie in it.
QString damage(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    const quint64 size = quint64(status.st_size);
    ElfW(Ehdr) header = {};
    if (size < sizeof header || size > maxModuleBytes ||
        ::pread(fd, &header, sizeof header, 0) != ssize_t(sizeof header))
        return QStringLiteral("not a library: %1 bytes").arg(size);
    const bool ours = std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
                      header.e_ident[EI_CLASS] == (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) &&
                      header.e_type == ET_DYN && header.e_phentsize == sizeof(ElfW(Phdr));
    if (!ours)
        return QStringLiteral("not a library of this machine");
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    const quint64 segmentBytes = quint64(header.e_phnum) * sizeof(ElfW(Phdr));
    if (!inside(header.e_phoff, segmentBytes, size) ||
        !inside(header.e_shoff, quint64(header.e_shnum) * header.e_shentsize, size) ||
        ::pread(fd, segments.data(), segmentBytes, off_t(header.e_phoff)) != ssize_t(segmentBytes))
        return QStringLiteral("cut short");
    for (const ElfW(Phdr) & segment : segments) {
        if (segment.p_type == PT_LOAD && !inside(segment.p_offset, segment.p_filesz, size))
            return QStringLiteral("cut short");
    }
    return {};
}
} // namespace

QObject* load(const QString& fileName, const char* iid, const QStringList& folders, QString* error)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path))
            continue;
        if (const QString why = damage(path); !why.isEmpty()) {
            *error = QStringLiteral("%1 is damaged: %2").arg(path, why);
            return nullptr;
        }
        QPluginLoader module(path);
        if (const QString why = refusal(module.metaData(), iid); !why.isEmpty()) {
            *error = QStringLiteral("%1 is not this build's module: %2").arg(path, why);
            return nullptr;
        }
        if (QObject* plugin = module.instance())
            return plugin;
        *error = module.errorString();
        return nullptr;
    }
    *error = QStringLiteral("%1 is not installed in %2").arg(fileName, folders.join(u", "));
    return nullptr;
}

QString refusal(const QJsonObject& metaData, const char* iid)
{
    const QString named = metaData.value(u"IID").toString();
    const QString version = metaData.value(u"MetaData").toObject().value(u"version").toString();
    if (named != QLatin1String(iid))
        return QStringLiteral("interface \"%1\"").arg(named);
    if (version != QLatin1String(ARTCAL_VERSION))
        return QStringLiteral("version \"%1\"").arg(version);
    return {};
}

QStringList folders()
{
    const QString here = QCoreApplication::applicationDirPath();
    return {here, QDir::cleanPath(here + QStringLiteral("/" ARTCAL_MODULES_FROM_BIN))};
}

} // namespace platform::Module
