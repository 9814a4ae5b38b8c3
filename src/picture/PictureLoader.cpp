// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureLoader.h"

#include "picture/WholePicture.h"
#include "platform/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace PictureLoader {

namespace {
bool arrivedWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const uchar* bytes = size > 0 ? file.map(0, size) : nullptr;
    const bool whole = bytes && WholePicture::isWhole(QByteArrayView(bytes, size));
    if (!whole)
        qCWarning(lcPicture) << path << "did not arrive whole";
    return whole;
}

QFuture<QImage> onPool(std::function<QImage()> work)
{
    const auto promise = std::make_shared<QPromise<QImage>>();
    promise->start();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)] {
        promise->addResult(work());
        promise->finish();
    });
    return promise->future();
}
} // namespace

QImage load(const QString& path, const QSize& shownSize)
{
    if (!QFileInfo(path).isFile()) {
        qCWarning(lcPicture) << path << "is not a plain file";
        return {};
    }
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

QFuture<QImage> loadLater(const QString& path, const QSize& shownSize)
{
    return onPool([path, shownSize] { return load(path, shownSize); });
}

QFuture<QImage> loadDownloaded(const QString& path, const QSize& shownSize)
{
    return onPool(
        [path, shownSize] { return arrivedWhole(path) ? load(path, shownSize) : QImage(); });
}

} // namespace PictureLoader
