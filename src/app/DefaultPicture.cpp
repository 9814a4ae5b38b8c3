// artcal-paint-default OUTPUT.jpg: writes the placeholder picture that the widget
// shows until its first picture of the day arrives. The build runs it to make the
// installed "default.jpg".

#include "app/SkinArt.h"

#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char* argv[])
{
    // Painting text needs a GUI application but no display: builds run headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        err << "usage: artcal-paint-default OUTPUT.jpg\n";
        return 2;
    }
    QSaveFile file(args.at(1));
    QImageWriter writer(&file, "jpg");
    writer.setQuality(90);
    const bool written =
        file.open(QIODevice::WriteOnly) && writer.write(SkinArt::placeholder()) && file.commit();
    if (!written) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        err << "artcal-paint-default: cannot write " << args.at(1) << ": " << reason << '\n';
        return 1;
    }
    return 0;
}
