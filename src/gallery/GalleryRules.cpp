#include "gallery/GalleryRules.h"

#include "platform/ServerPaths.h"

namespace GalleryRules {

namespace {
constexpr qsizetype maxStem = 200; // well inside the usual 255-byte limit once encoded
constexpr qint64 firstHide = 440;
constexpr qint64 secondShow = 700;
} // namespace

QString fileName(const QString& pictureUrl)
{
    QString stem = pictureUrl.mid(pictureUrl.lastIndexOf(u'/') + 1);
    for (QChar& c : stem) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    if (stem.isEmpty() || stem.startsWith(u'.'))
        stem.prepend(QStringLiteral("picture"));
    return stem.left(maxStem) + QStringLiteral(".data");
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
