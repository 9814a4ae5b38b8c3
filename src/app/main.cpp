#include "app/Form1.h"
#include "platform/NetworkWatch.h"
#include "platform/WebAddress.h"
#include "state/StateFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>

namespace {
int failStartup(const QString& reason)
{
    std::fprintf(stderr, "There was error while loading application\n%s\n", qPrintable(reason));
    return 1;
}

// The server's base address: http or https, without trailing "/" so that the paths
// joined to it never hold "//".
QString serverBase(QString address, QString* error)
{
    while (address.endsWith(u'/'))
        address.chop(1);
    if (!platform::isWebAddress(QUrl(address, QUrl::StrictMode))) {
        *error = QStringLiteral("--server needs an http or https address, not \"%1\"").arg(address);
        return {};
    }
    return address;
}
} // namespace

int main(int argc, char* argv[])
{
    // A desktop widget must know where it and the pointer are, which native Wayland
    // does not tell a client: run through X11 (XWayland) unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("artcal"));
    QApplication::setApplicationVersion(QStringLiteral(ARTCAL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A desktop calendar with a picture of the day."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep the state files in <dir>."),
                                     QStringLiteral("dir"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Base address of the picture server (default %1).")
            .arg(QStringLiteral("http://127.0.0.1:8642")),
        QStringLiteral("url"), QStringLiteral("http://127.0.0.1:8642"));
    parser.addOption(dataDir);
    parser.addOption(server);
    parser.process(app);

    const QString exeDir = QCoreApplication::applicationDirPath();
    StateFolder::Places places{parser.value(dataDir),
                               exeDir,
                               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               {QDir::cleanPath(exeDir + QLatin1String("/../share/artcal"))}};
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        places.installedDefaults << dir + QLatin1String("/artcal");

    QString error;
    const QString stateDir = StateFolder::resolve(places, &error);
    if (stateDir.isEmpty())
        return failStartup(error);
    const QString base = serverBase(parser.value(server), &error);
    if (base.isEmpty())
        return failStartup(error);

    Form1 form({stateDir, base});
    form.show();
    platform::NetworkWatch network;
    QObject::connect(&network, &platform::NetworkWatch::improved, &form.cycle(),
                     &PictureCycle::networkImproved);
    QObject::connect(&network, &platform::NetworkWatch::meteredChanged, &form.cycle(),
                     &PictureCycle::setMetered);
    return app.exec();
}
