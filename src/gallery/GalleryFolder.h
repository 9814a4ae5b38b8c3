// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// The My Gallery folder: one "*.data" file per saved picture, holding its record as
// four lines and its credit lines.
namespace GalleryFolder {

// The gallery files' names in the order a person reads them in `locale`: letters
// without regard to case, digits as numbers ("pic2" before "pic10"). Hidden files are
// not listed. Empty when the folder is missing.
QStringList files(const QString& folder, const QLocale& locale = QLocale());

// The record of a gallery file, missing lines empty; nothing when the file cannot be
// read.
std::optional<PictureRecord> readRecord(const QString& path);

} // namespace GalleryFolder
