#include "gallery/GalleryFolder.h"

#include "state/TextLines.h"

#include <QDir>

#include <algorithm>

namespace GalleryFolder {

QStringList files(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.data")}, QDir::Files, QDir::NoSort);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<QStringList> readRecord(const QString& path)
{
    std::optional<QStringList> lines = TextLines::read(path);
    if (lines) {
        lines->resize(4);
    }
    return lines;
}

} // namespace GalleryFolder
