// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/TextLines.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace TextLines {

QStringList split(const QByteArray& bytes)
{
    // Decoded as a whole, so that only a byte order mark at the very start is dropped.
    const QString text = QString::fromUtf8(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

QString trimSpaces(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin).toString();
}

std::optional<QStringList> read(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    // Only plain files: a device or a pipe in place of a state file is no state.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return std::nullopt;
    const QByteArray bytes = file.read(file.size() + 1);
    if (bytes.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return split(bytes);
}

bool write(const QString& path, const QStringList& lines, QString* error,
           platform::AtomicFile::Access access)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return platform::AtomicFile::write(path, bytes, error, access);
}

} // namespace TextLines
