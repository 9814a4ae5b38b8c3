#include "app/Form1.h"
#include "platform/NetworkWatch.h"
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
#include <cstring>
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

// --help and --version print and end: they must work without a display (over ssh, in
// a terminal), so for them no GUI is started. The value given to an option is no
// option, though: "--data-dir -v" names a folder.
bool asksForText(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data-dir") == 0 || std::strcmp(argv[i], "--server") == 0) {
            ++i;
            continue;
        }
        for (const char* text : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], text) == 0)
                return true;
        }
    }
    return false;
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
    // A desktop widget must know where it and the pointer are, which native Wayland
    // does not tell a client: run through X11 (XWayland) unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // The first text the window lays out needs fontconfig's configuration and caches
    // (some fifty files to parse), then Qt's list of the installed fonts. Threads of
    // their own read the first while Qt connects to the display and build the second
    // while the window is made, instead of one after the other.
    const bool textOnly = asksForText(argc, argv);
    std::shared_future<FcBool> fontconfig;
    if (!textOnly)
        fontconfig = std::async(std::launch::async, FcInit).share();

    QCoreApplication::setApplicationName(QStringLiteral("artcal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARTCAL_VERSION));
    const std::unique_ptr<QCoreApplication> app =
        textOnly ? std::make_unique<QCoreApplication>(argc, argv)
                 : std::make_unique<QApplication>(argc, argv);
    std::future<void> fontList;
    if (!textOnly)
        fontList = std::async(std::launch::async, [fontconfig] {
            fontconfig.wait();
            QFontDatabase::families();
        });

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A desktop calendar with a picture of the day."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
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
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        parser.showHelp();
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    const std::optional<QString> base = serverBase(parser.value(server));
    if (!base)
        return usageError(QStringLiteral("--server needs an http or https address with a host, "
                                         "not \"%1\"")
                              .arg(parser.value(server)));

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
    // Asking NetworkManager about the network talks to the system bus: it waits until
    // the first frame is up.
    std::unique_ptr<platform::NetworkWatch> network;
    QObject::connect(&form, &Form1::firstFramePainted, &form, [&network, &form] {
        network = std::make_unique<platform::NetworkWatch>();
        QObject::connect(network.get(), &platform::NetworkWatch::improved, &form.cycle(),
                         &PictureCycle::networkImproved);
        QObject::connect(network.get(), &platform::NetworkWatch::meteredChanged, &form.cycle(),
                         &PictureCycle::setMetered);
    });
    form.show();
    return QCoreApplication::exec();
}
