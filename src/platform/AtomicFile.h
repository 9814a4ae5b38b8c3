// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Every file the widget writes is replaced whole or not at all: a crash or a full disk
// never leaves a half-written file in place of a good one.
namespace platform::AtomicFile {

// Who may read the file: everyone, like the other state files, or its owner alone (a
// file that may hold secrets, such as a subscription's address).
enum class Access { Shared, Private };

// Writes `path` through a temporary file beside it, committed only when `fill` and the
// flush succeeded. On failure the old file is intact and `error` (if given) says why:
// the file's own error, else what `fill` put there.
bool write(const QString& path, const std::function<bool(QIODevice&)>& fill,
           QString* error = nullptr, Access access = Access::Shared);
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr,
           Access access = Access::Shared);

// The two steps of a write, for a caller that fills the file some other way (a
// download) or must put more than one file in place together.
// 1. A new, empty file beside `path`, named `path` + ".XXXXXX" + `suffix`.
std::optional<QString> createTemporary(const QString& path, const QString& suffix,
                                       QString* error = nullptr);
// 2. Renames `temporary` over `path` in one step, readable like every other state file.
bool moveIntoPlace(const QString& temporary, const QString& path, QString* error = nullptr);

// Makes `to` a second name of the file `from` (a hard link, which costs nothing), or a
// copy of it where the file system has no links. `to` must not exist.
bool linkOrCopy(const QString& from, const QString& to);

} // namespace platform::AtomicFile
