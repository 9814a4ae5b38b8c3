// SPDX-License-Identifier: GPL-3.0-or-later
#include "gallery/GalleryFolder.h"

#include "state/TextLines.h"

#include <QCollator>
#include <QDir>

#include <algorithm>

namespace GalleryFolder {

QStringList files(const QString& folder, const QLocale& locale)
{
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.data")}, QDir::Files, QDir::NoSort);
    // Both set here: a collator is case-sensitive and reads digits one by one by default.
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    // Names the collator holds equal ("a.data", "A.data") keep one order on every run.
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

std::optional<PictureRecord> readRecord(const QString& path)
{
    const std::optional<QStringList> lines = TextLines::read(path);
    if (!lines)
        return std::nullopt;
    return PictureRecord::fromLines(*lines);
}

} // namespace GalleryFolder
