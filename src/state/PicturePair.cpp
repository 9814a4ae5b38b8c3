// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/PicturePair.h"

#include "platform/AtomicFile.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace PicturePair {

namespace {
const QString& picture = StateFiles::picture;
const QString& record = StateFiles::record;
const QString newRecord = record + QStringLiteral(".new");
const QString marker = picture + QStringLiteral(".commit");

// The marker names the picture's new file; anything else in it is not ours to rename.
bool isPictureTemporary(const QString& name)
{
    return name.startsWith(picture + u'.') && !name.contains(u'/') && name != record &&
           name != newRecord && name != marker;
}

// The renames a marker stands for, each done only while its source is still there.
void finishRenames(const QDir& dir, const QString& pictureTemporary)
{
    for (const auto& [from, to] : {std::pair{pictureTemporary, picture}, {newRecord, record}}) {
        if (QFileInfo(dir.filePath(from)).isFile())
            platform::AtomicFile::moveIntoPlace(dir.filePath(from), dir.filePath(to));
    }
}
} // namespace

bool replace(const QString& dirPath, const QString& picturePart, const QStringList& lines,
             QString* error, const StopAt& stopAt)
{
    const QDir dir(dirPath);
    const QString partName = QFileInfo(picturePart).fileName();
    const auto stop = [&stopAt](Step step) { return stopAt && stopAt(step); };
    if (!isPictureTemporary(partName)) {
        *error = QStringLiteral("%1 is no new picture file").arg(partName);
        return false;
    }
    // The picture moves only when its record can follow: a rename over a folder fails.
    const QFileInfo recordPlace(dir.filePath(record));
    if (recordPlace.exists() && !recordPlace.isSymLink() && !recordPlace.isFile()) {
        *error = QStringLiteral("%1 is not a file").arg(recordPlace.filePath());
        return false;
    }
    if (!TextLines::write(dir.filePath(newRecord), lines, error))
        return false;
    if (stop(Step::RecordWritten))
        return true;
    if (!platform::AtomicFile::write(dir.filePath(marker), partName.toUtf8() + "\r\n", error)) {
        QFile::remove(dir.filePath(newRecord));
        return false;
    }
    if (stop(Step::Committed))
        return true;
    if (!platform::AtomicFile::moveIntoPlace(picturePart, dir.filePath(picture), error)) {
        QFile::remove(dir.filePath(marker));
        QFile::remove(dir.filePath(newRecord));
        return false;
    }
    if (stop(Step::PictureMoved))
        return true;
    // Past the picture's rename the install is committed: should this rename fail, the
    // marker stays and the next start finishes it.
    if (!platform::AtomicFile::moveIntoPlace(dir.filePath(newRecord), dir.filePath(record), error))
        return true;
    if (stop(Step::RecordMoved))
        return true;
    QFile::remove(dir.filePath(marker));
    return true;
}

void recover(const QString& dirPath)
{
    const QDir dir(dirPath);
    const std::optional<QStringList> named = TextLines::read(dir.filePath(marker), 4096);
    if (named && !named->isEmpty() && isPictureTemporary(named->first()))
        finishRenames(dir, named->first());
    QFile::remove(dir.filePath(marker));
    // A record written for an install that never committed.
    QFile::remove(dir.filePath(newRecord));
}

} // namespace PicturePair
