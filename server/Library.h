// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Picture.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace server {

// An immutable snapshot of the picture library: category folders of JPEG/PNG files.
// Handlers on many threads share one snapshot; a rescan builds a new one.
class Library
{
public:
    Library() = default;
    // Assigns ids in sorted path order, salting on collision, so the rule is deterministic.
    explicit Library(QList<Picture> pictures);

    // Reads `rootPath`: each non-hidden folder is a category, each .jpg/.jpeg/.png file
    // in it a picture. Entries whose real location is outside the root (symlinks) are
    // skipped, so nothing outside the library is ever served.
    static Library scan(const QString& rootPath);

    const QList<Picture>& pictures() const { return m_pictures; }
    // Names of the categories that hold at least one picture, sorted.
    QStringList categories() const { return m_categories; }
    const Picture* find(quint64 id) const;
    // The pictures of one category (exact name), or of all when `category` is empty.
    QList<const Picture*> candidates(const QString& category) const;

private:
    QList<Picture> m_pictures;
    QStringList m_categories;
    QHash<quint64, qsizetype> m_byId;
};

} // namespace server
