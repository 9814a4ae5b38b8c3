// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The installed picture and its record file change together: a
// kill at any moment leaves the old pair or the new one, never a picture with another
// picture's record. Both new files are complete under names of their own before a
// small commit marker names them; only then are they renamed into place, and the
// marker goes last. A marker found at start-up finishes the renames it names.
namespace PicturePair {

// The moments between the steps of replace(), for tests that stop it there as a kill
// would.
enum class Step { RecordWritten, Committed, PictureMoved, RecordMoved };
using StopAt = std::function<bool(Step)>;

// Puts the picture `picturePart` (a file in `dir` whose name starts with the picture's name and a
// dot) and the record `record` in place in `dir`. On failure the old pair stays, `error` says why
// and `picturePart` is left to the caller.
bool replace(const QString& dir, const QString& picturePart, const QStringList& record,
             QString* error, const StopAt& stopAt = {});

// Finishes or drops an interrupted replace(): run before the pair is read.
void recover(const QString& dir);

} // namespace PicturePair
