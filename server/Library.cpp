// SPDX-License-Identifier: GPL-3.0-or-later
#include "Library.h"

#include "PictureId.h"
#include "ServerLog.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace server {

namespace {

QString servedSuffix(const QString& suffix)
{
    const QString lower = suffix.toLower();
    if (lower == u"jpg" || lower == u"jpeg")
        return QStringLiteral("jpg");
    if (lower == u"png")
        return QStringLiteral("png");
    return {};
}

bool isInside(const QString& canonicalPath, const QString& canonicalRoot)
{
    return canonicalPath.startsWith(canonicalRoot + u'/');
}

} // namespace

Library::Library(QList<Picture> pictures) : m_pictures(std::move(pictures))
{
    std::sort(m_pictures.begin(), m_pictures.end(),
              [](const Picture& a, const Picture& b) { return a.relativePath < b.relativePath; });
    QSet<QString> categories;
    for (qsizetype i = 0; i < m_pictures.size(); ++i) {
        Picture& picture = m_pictures[i];
        int attempt = 0;
        do {
            picture.id = pictureId(picture.relativePath, attempt++);
        } while (m_byId.contains(picture.id));
        m_byId.insert(picture.id, i);
        categories.insert(picture.category);
    }
    m_categories = categories.values();
    std::sort(m_categories.begin(), m_categories.end());
}

Library Library::scan(const QString& rootPath)
{
    const QString root = QFileInfo(rootPath).canonicalFilePath();
    if (root.isEmpty())
        return {};
    QList<Picture> pictures;
    const QDir rootDir(root);
    for (const QFileInfo& folder : rootDir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folderPath = folder.canonicalFilePath();
        if (!isInside(folderPath, root)) {
            qCWarning(lcServer) << "skipping category outside the library:" << folder.filePath();
            continue;
        }
        for (const QFileInfo& file : QDir(folder.filePath()).entryInfoList(QDir::Files)) {
            const QString suffix = servedSuffix(file.suffix());
            const QString filePath = file.canonicalFilePath();
            if (suffix.isEmpty())
                continue;
            if (!isInside(filePath, root)) {
                qCWarning(lcServer) << "skipping picture outside the library:" << file.filePath();
                continue;
            }
            pictures.append({0, folder.fileName(), folder.fileName() + u'/' + file.fileName(),
                             filePath, suffix});
        }
    }
    return Library(std::move(pictures));
}

const Picture* Library::find(quint64 id) const
{
    const auto it = m_byId.constFind(id);
    return it == m_byId.cend() ? nullptr : &m_pictures[*it];
}

QList<const Picture*> Library::candidates(const QString& category) const
{
    QList<const Picture*> result;
    for (const Picture& picture : m_pictures) {
        if (category.isEmpty() || picture.category == category)
            result.append(&picture);
    }
    return result;
}

} // namespace server
