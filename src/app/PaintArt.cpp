// artcal-paint-art default OUTPUT.jpg | icon OUTPUT.png
// Writes the art the build installs with the widget: the placeholder picture shown
// until the first picture of the day arrives, and the application icon.

#include "app/SkinArt.h"
#include "state/AtomicFile.h"

#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Painting text needs a GUI application but no display: builds run headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList args = QGuiApplication::arguments();
    const QString what = args.value(1);
    if (args.size() != 3 || (what != u"default" && what != u"icon")) {
        err << "usage: artcal-paint-art default OUTPUT.jpg | icon OUTPUT.png\n";
        return 2;
    }
    const bool icon = what == u"icon";
    // The placeholder at twice the size it is shown at: sharp on high-density screens,
    // and small enough to decode at once when the widget starts.
    const QImage art = icon ? SkinArt::icon(256) : SkinArt::placeholder(QSize(376, 288));
    QString error;
    const bool written = AtomicFile::write(
        args.at(2),
        [&](QIODevice& file) {
            QImageWriter writer(&file, icon ? "png" : "jpg");
            writer.setQuality(90);
            if (writer.write(art))
                return true;
            error = writer.errorString();
            return false;
        },
        &error);
    if (!written) {
        err << "artcal-paint-art: cannot write " << args.at(2) << ": " << error << '\n';
        return 1;
    }
    return 0;
}
