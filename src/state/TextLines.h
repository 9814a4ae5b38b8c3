// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The line format of every state file: UTF-8 text whose lines may end in CR LF, LF or
// a lone CR (a file edited on Linux must work), written back with CR LF after every
// line, the last included.
namespace TextLines {

// Splits text into lines without their line ends. A final line end does not start
// another line; an empty line in the middle is kept as an empty string.
QStringList split(const QByteArray& bytes);

// Spaces at both ends removed; tabs, CR and LF stay, unlike QString::trimmed().
QString trimSpaces(QStringView text);

// Reads a whole file; nothing when it is missing or unreadable. Files larger than
// `maxBytes` are refused: no state file of ours is that big.
std::optional<QStringList> read(const QString& path, qint64 maxBytes = 1 << 20);

// Writes the lines atomically: the old file stays intact unless the new one is
// complete. On failure returns false and sets `error`.
bool write(const QString& path, const QStringList& lines, QString* error = nullptr,
           platform::AtomicFile::Access access = platform::AtomicFile::Access::Shared);

} // namespace TextLines
