// SPDX-License-Identifier: GPL-3.0-or-later
// artcal-paint-art default OUTPUT.jpg | icon SIZE OUTPUT.png | icon-svg OUTPUT.svg |
//                  skin FOLDER
// Writes the art the build installs with the widget: the placeholder picture shown
// until the first picture of the day arrives, the application icon as a PNG of one
// size or as SVG, both from the one drawing below, and the skin's bitmaps at the
// scales the widget looks for, so that it need not paint them at every start.

#include "app/AppIcon.h"
#include "app/SkinArt.h"
#include "app/SkinImages.h"
#include "platform/AtomicFile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

namespace {

QByteArray encoded(const QImage& image, const char* format, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    if (!writer.write(image))
        *error = writer.errorString();
    return bytes;
}

int writeFile(const QString& output, const QByteArray& bytes, QString error, QTextStream& err)
{
    if (!error.isEmpty() || !platform::AtomicFile::write(output, bytes, &error)) {
        err << "artcal-paint-art: cannot write " << output << ": " << error << '\n';
        return 1;
    }
    return 0;
}

int writeSkin(const QString& folder, QTextStream& err)
{
    for (const SkinImages::Part part : SkinImages::parts) {
        for (const int scale : SkinImages::shippedScales) {
            const QImage image =
                SkinImages::painted(part, scale).convertToFormat(SkinImages::shippedFormat);
            const QByteArray pixels(reinterpret_cast<const char*>(image.constBits()),
                                    image.sizeInBytes());
            if (writeFile(folder + u'/' + SkinImages::shippedName(part, scale),
                          SkinImages::shippedHeader(part, scale) + pixels, {}, err))
                return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Painting text needs a GUI application but no display: builds run headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList args = QGuiApplication::arguments();
    const QString what = args.value(1);
    const int iconSize = args.value(2).toInt();
    const bool usage = (what == u"default" && args.size() == 3) ||
                       (what == u"icon" && args.size() == 4 && iconSize > 0) ||
                       (what == u"icon-svg" && args.size() == 3) ||
                       (what == u"skin" && args.size() == 3);
    if (!usage) {
        err << "usage: artcal-paint-art default OUTPUT.jpg | icon SIZE OUTPUT.png | "
               "icon-svg OUTPUT.svg | skin FOLDER\n";
        return 2;
    }
    if (what == u"skin")
        return writeSkin(args.last(), err);
    QString error;
    // The placeholder at twice the size it is shown at: sharp on high-density screens,
    // and small enough to decode at once when the widget starts.
    const QByteArray bytes = what == u"icon-svg" ? AppIcon::svg()
                             : what == u"icon"
                                 ? encoded(AppIcon::paint(iconSize), "png", &error)
                                 : encoded(SkinArt::placeholder(QSize(376, 288)), "jpg", &error);
    return writeFile(args.last(), bytes, error, err);
}
