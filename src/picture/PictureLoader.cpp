#include "picture/PictureLoader.h"

#include "platform/Logging.h"

#include <QImageReader>
#include <QPromise>
#include <QThreadPool>

#include <memory>

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
        qCWarning(lcPicture) << "cannot decode" << path << ":" << reader.errorString();
    return image;
}

QFuture<QImage> loadInBackground(const QString& path, const QSize& shownSize)
{
    const auto promise = std::make_shared<QPromise<QImage>>();
    promise->start();
    QThreadPool::globalInstance()->start([promise, path, shownSize] {
        promise->addResult(load(path, shownSize));
        promise->finish();
    });
    return promise->future();
}

} // namespace PictureLoader
