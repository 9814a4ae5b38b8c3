// SPDX-License-Identifier: GPL-3.0-or-later
#include "gallery/GalleryRules.h"

#include "platform/ServerPaths.h"

#include <QCryptographicHash>

namespace GalleryRules {

namespace {
// File systems take names of up to 255 bytes; the name is UTF-8 on disk.
constexpr qsizetype maxNameBytes = 255;
const QString suffix = QStringLiteral(".data");
constexpr int hashChars = 8;
constexpr qint64 firstHide = 440;
constexpr qint64 secondShow = 700;
} // namespace

QString fileName(const QString& pictureUrl)
{
    const QString segment = pictureUrl.mid(pictureUrl.lastIndexOf(u'/') + 1);
    QString stem = segment;
    for (QChar& c : stem) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    if (stem.isEmpty() || stem.startsWith(u'.'))
        stem.prepend(QStringLiteral("picture"));
    if (stem.toUtf8().size() + suffix.size() <= maxNameBytes)
        return stem + suffix;
    // Cut on a character boundary, and marked with a hash of the whole segment so that
    // two long names that start alike stay two files.
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(segment.toUtf8(), QCryptographicHash::Sha1)
                                .toHex()
                                .left(hashChars));
    const QByteArray utf8 = stem.toUtf8();
    qsizetype cut = maxNameBytes - suffix.size() - 1 - hashChars;
    while (cut > 0 && (uchar(utf8[cut]) & 0xc0) == 0x80) // inside a character
        --cut;
    return QString::fromUtf8(utf8.left(cut)) + u'-' + hash + suffix;
}

QString pageAddress(const QString& serverBase, const QStringList& ids)
{
    return serverBase + ServerPaths::galleryPage + ids.join(u',');
}

bool wordsShown(qint64 elapsedMs)
{
    return elapsedMs < firstHide || (elapsedMs >= secondShow && elapsedMs < blinkMs);
}

qint64 nextBlinkChange(qint64 elapsedMs)
{
    for (qint64 change : {firstHide, secondShow, blinkMs}) {
        if (elapsedMs < change)
            return change;
    }
    return blinkMs;
}

} // namespace GalleryRules
