// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureLoader.h"

#include "platform/Logging.h"
#include "platform/WholeImage.h"

#include <QImageReader>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace PictureLoader {

namespace {
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
    platform::WholeImage::Result read = platform::WholeImage::read(path, [&](QImageReader& reader) {
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        // The control stretches its picture, so decoding to exactly its size loses nothing.
        if (size.isValid() &&
            (size.width() > shownSize.width() || size.height() > shownSize.height()))
            reader.setScaledSize(shownSize);
    });
    if (read.image.isNull())
        qCWarning(lcPicture).noquote() << path << read.problem;
    return std::move(read.image);
}

QFuture<QImage> loadLater(const QString& path, const QSize& shownSize)
{
    return onPool([path, shownSize] { return load(path, shownSize); });
}

} // namespace PictureLoader
