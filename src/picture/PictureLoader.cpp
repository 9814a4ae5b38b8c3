#include "picture/PictureLoader.h"

#include <QImageReader>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLoader, "artcal.picture")

namespace PictureLoader {

QImage load(const QString& path, const QSize& shownSize)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // The control stretches its picture, so decoding to exactly its size loses nothing.
    if (size.isValid() && (size.width() > shownSize.width() || size.height() > shownSize.height()))
        reader.setScaledSize(shownSize);
    QImage image = reader.read();
    if (image.isNull())
        qCWarning(lcLoader) << "cannot decode" << path << ":" << reader.errorString();
    return image;
}

} // namespace PictureLoader
