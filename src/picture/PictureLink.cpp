#include "picture/PictureLink.h"

#include "picture/PictureRecord.h"
#include "platform/UrlOpener.h"

#include <QUrl>

namespace PictureLink {

void Image1_Click(const QString& tag)
{
    if (!tag.isEmpty())
        platform::openUrl(QUrl(PictureRecord::fromTag(tag).pageUrl));
}

} // namespace PictureLink
