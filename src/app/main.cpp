// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"
#include "platform/NetworkWatch.h"
#include "platform/SingleInstance.h"
#include "platform/WebAddress.h"
#include "state/StateFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <future>
#include <memory>
#include <optional>

namespace {
int failStartup(const QString& reason)
{
    std::fprintf(stderr, "There was error while loading application\n%s\n", qPrintable(reason));
    return 1;
}

// A command line that cannot be right: status 2, as for any misused command.
int usageError(const QString& reason)
{
    std::fprintf(stderr, "artcal: %s\nTry \"artcal --help\".\n", qPrintable(reason));
    return 2;
}

// The platform the widget runs on, decided before Qt is: a desktop widget must know
// where it and the pointer are, which native Wayland does not tell a client, so it runs
// through X11 (XWayland) where there is an X display, unless told otherwise. Empty when
// there is no display at all, which Qt would answer with an abort.
QByteArray choosePlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return qgetenv("QT_QPA_PLATFORM");
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return "xcb";
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return "wayland";
    return {};
}

// The server's base address: http or https with a host, without trailing "/" so that
// the paths joined to it never hold "//".
std::optional<QString> serverBase(const QString& given)
{
    QString address = given;
    while (address.endsWith(u'/'))
        address.chop(1);
    if (!platform::isWebAddress(QUrl(address, QUrl::StrictMode)))
        return std::nullopt;
    return address;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("artcal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARTCAL_VERSION));
    // The command line is read before any application object exists: help, version
    // and usage errors need no display (over ssh, in a terminal).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A desktop calendar with a picture of the day."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep the state files in <dir>."),
                                     QStringLiteral("dir"));
    const QString defaultServer = QStringLiteral("http://127.0.0.1:8642");
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Base address of the picture server (default %1).").arg(defaultServer),
        QStringLiteral("url"), defaultServer);
    parser.addOption(dataDir);
    parser.addOption(server);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    // "--help-all" comes with the help option; it shows the same text here.
    const bool helpAsked = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (helpAsked || parser.isSet(version)) {
        const QCoreApplication text(argc, argv);
        if (helpAsked)
            parser.showHelp();
        parser.showVersion();
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    const std::optional<QString> base = serverBase(parser.value(server));
    if (!base)
        return usageError(QStringLiteral("--server needs an http or https address with a host, "
                                         "not \"%1\"")
                              .arg(parser.value(server)));

    const QByteArray qpa = choosePlatform();
    if (qpa.isEmpty())
        return failStartup(
            QStringLiteral("no display: neither DISPLAY nor WAYLAND_DISPLAY is set"));
    qputenv("QT_QPA_PLATFORM", qpa);

    // The first text the window lays out needs fontconfig's configuration and caches
    // (some fifty files to parse), then Qt's list of the installed fonts. Threads of
    // their own read the first while Qt connects to the display and build the second
    // while the window is made, instead of one after the other.
    std::shared_future<FcBool> fontconfig = std::async(std::launch::async, FcInit).share();
    QApplication app(argc, argv);
    std::future<void> fontList = std::async(std::launch::async, [fontconfig] {
        fontconfig.wait();
        QFontDatabase::families();
    });

    const QString exeDir = QCoreApplication::applicationDirPath();
    StateFolder::Places places{parser.value(dataDir),
                               exeDir,
                               QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                               {QDir::cleanPath(exeDir + QLatin1String("/../share/artcal"))}};
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        places.installedDefaults << dir + QLatin1String("/artcal");
    // The build's painted art: beside the executable in a build tree, else installed.
    QStringList artFolders{exeDir + QLatin1String("/art")};
    for (const QString& dir : std::as_const(places.installedDefaults))
        artFolders << dir + QLatin1String("/art");

    QString error;
    const QString stateDir = StateFolder::resolve(places, &error);
    if (stateDir.isEmpty())
        return failStartup(error);

    platform::SingleInstance instance(stateDir);
    if (!instance.acquire()) {
        std::fprintf(stderr, "artcal: already running on %s; it was asked to come forward\n",
                     qPrintable(QDir::toNativeSeparators(stateDir)));
        return 0;
    }

    // What a start at login repeats: the options given, the folder made absolute.
    QStringList given;
    if (parser.isSet(dataDir))
        given << QStringLiteral("--data-dir") << QDir(parser.value(dataDir)).absolutePath();
    if (parser.isSet(server))
        given << QStringLiteral("--server") << *base;
    // The paint engine spreads big fills over Qt's global thread pool, whose threads
    // otherwise stay 30 s and wake once more to end; the fills of one paint come closer.
    QThreadPool::globalInstance()->setExpiryTimeout(1000);
    Form1 form({stateDir, *base, given, artFolders});
    QObject::connect(&instance, &platform::SingleInstance::comeForward, &form, [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    });
    // Asking NetworkManager about the network talks to the system bus: it waits until
    // the first frame is up.
    std::unique_ptr<platform::NetworkWatch> network;
    QObject::connect(&form, &Form1::firstFramePainted, &form, [&network, &form] {
        network = std::make_unique<platform::NetworkWatch>();
        QObject::connect(network.get(), &platform::NetworkWatch::improved, &form.cycle(),
                         &PictureCycle::networkImproved);
        QObject::connect(network.get(), &platform::NetworkWatch::meteredChanged, &form.cycle(),
                         &PictureCycle::setMetered);
        QObject::connect(network.get(), &platform::NetworkWatch::meteredChanged, &form.wallpaper(),
                         &Wallpaper::setMetered);
        QObject::connect(network.get(), &platform::NetworkWatch::offlineChanged, &form.wallpaper(),
                         &Wallpaper::setOffline);
    });
    form.show();
    return QCoreApplication::exec();
}
