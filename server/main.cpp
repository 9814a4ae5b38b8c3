// SPDX-License-Identifier: GPL-3.0-or-later
// artcal-server: serves the widget's picture protocol and pages over a folder of pictures.

#include "DemoArt.h"
#include "PickKey.h"
#include "PictureServer.h"
#include "ServerLog.h"
#include "StopOnSignal.h"
#include "import/ImportCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QStandardPaths>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 defaultDemoSeed = 1;

bool isEmptyFolder(const QString& path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Every connection takes a descriptor: raises the soft limit to the hard one, and
// lowers the cap on connections below it, keeping some for the library's files.
unsigned connectionCap(unsigned wanted)
{
    constexpr rlim_t spare = 100;
    rlimit files = {};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur < 2 * spare)
        return wanted;
    return unsigned(std::min<rlim_t>(wanted, files.rlim_cur - spare));
}

// Each connection's memory, a block of Limits::connectionMemory, comes from malloc (see
// MicrohttpdImports.h). Blocks of that size are kept in the heap, not mapped and unmapped
// each time, and memory for a few dozen of them stays at the heap's top when freed: a new
// connection then costs no page fault.
void keepConnectionMemoryInHeap(size_t connectionMemory)
{
    ::mallopt(M_MMAP_THRESHOLD, int(2 * connectionMemory));
    ::mallopt(M_TRIM_THRESHOLD, int(32 * connectionMemory));
}

// A mistake on the command line: what was wrong, and where to read how it goes.
int usageError(const QString& problem)
{
    std::fprintf(stderr, "artcal-server: %s\nTry \"artcal-server --help\".\n", qPrintable(problem));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    StopOnSignal stopOnSignal;
    // Qt gets none of the command line: it would take its own options (-platform,
    // -reverse, ...) out of it unseen, where they are mistakes.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    int qtArgumentCount = 1; // the program's name only
    // Painting needs a QGuiApplication, and the server never has a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(qtArgumentCount, argv);
    QGuiApplication::setApplicationName(u"artcal-server"_s);
    QGuiApplication::setApplicationVersion(QStringLiteral(ARTCAL_VERSION));

    const QString dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/artcal-server"_s;
    const QString defaultLibrary = dataFolder + u"/library"_s;
    if (arguments.size() > 1 && arguments[1] == u"import") {
        // An import may end at any moment without harm: a signal ends it at once.
        stopOnSignal.setHandler([] { std::_Exit(1); });
        return server::import::runCommand(arguments, defaultLibrary);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Serves pictures of the day to the artcal widget; \"artcal-server import --help\" "
        u"tells how it imports pictures from museums and feeds."_s);
    const QCommandLineOption helpOption({u"h"_s, u"help"_s}, u"Displays this help."_s);
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QString defaultBind = u"127.0.0.1"_s;
    const QString defaultPort = u"8642"_s;
    const QString defaultKeyFile = dataFolder + u"/key"_s;
    const QString defaultCache =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
        u"/artcal-server"_s;
    const QCommandLineOption bindOption(u"bind"_s,
                                        u"Address to listen on (default %1)."_s.arg(defaultBind),
                                        u"address"_s, defaultBind);
    const QCommandLineOption portOption(
        u"port"_s, u"Port to listen on; 0 picks a free one (default %1)."_s.arg(defaultPort),
        u"port"_s, defaultPort);
    const QCommandLineOption libraryOption(
        u"library"_s,
        u"Folder of category folders of JPEG/PNG pictures; it must exist unless --demo "
        u"(default %1)."_s.arg(defaultLibrary),
        u"dir"_s, defaultLibrary);
    const QCommandLineOption demoOption(
        u"demo"_s,
        u"Create the library folder if needed and paint a demo library into it if it is empty."_s);
    const QCommandLineOption seedOption(
        u"seed"_s,
        u"Seed for the random picks and the demo art, for reproducible runs (default: random "
        u"picks, demo art %1)."_s.arg(defaultDemoSeed),
        u"number"_s);
    const QCommandLineOption keyOption(
        u"key-file"_s,
        u"File of the key that signs the picks' cookies; made at the first start. Give every "
        u"instance behind one proxy the same file (default %1)."_s.arg(defaultKeyFile),
        u"file"_s, defaultKeyFile);
    const QCommandLineOption proxyOption(
        u"trust-proxy"_s,
        u"Address of a reverse proxy: its requests are taken to come from the last address "
        u"in X-Forwarded-For, and the cap on connections per address spares it."_s,
        u"address"_s);
    const QCommandLineOption cacheOption(
        u"cache-dir"_s,
        u"Folder for pictures scaled to the size a widget shows them, at most %1 MiB "
        u"(default %2)."_s.arg(server::PictureServer::Options().scaledCapacity >> 20)
            .arg(defaultCache),
        u"dir"_s, defaultCache);
    parser.addOptions({bindOption, portOption, libraryOption, demoOption, seedOption, keyOption,
                       proxyOption, cacheOption});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::puts("artcal-server " ARTCAL_VERSION);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(u"unexpected argument \"%1\""_s.arg(parser.positionalArguments()[0]));

    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    if (!portOk || port < 0 || port > 65535)
        return usageError(u"--port takes 0 to 65535, not \"%1\""_s.arg(parser.value(portOption)));
    bool seedOk = true;
    const quint32 seed = parser.isSet(seedOption) ? parser.value(seedOption).toUInt(&seedOk)
                                                  : std::random_device()();
    if (!seedOk)
        return usageError(u"--seed takes a whole number from 0 to 4294967295, not \"%1\""_s.arg(
            parser.value(seedOption)));
    const QHostAddress proxy(parser.value(proxyOption));
    if (parser.isSet(proxyOption) && proxy.isNull())
        return usageError(
            u"--trust-proxy takes an IP address, not \"%1\""_s.arg(parser.value(proxyOption)));

    const QString library = QDir(parser.value(libraryOption)).absolutePath();
    // A mistyped --library must not quietly serve a new, empty folder.
    if (!parser.isSet(demoOption) && !QFileInfo(library).isDir()) {
        qCCritical(lcServer).noquote()
            << "no library folder" << library << "(--demo creates one and paints it)";
        return 1;
    }
    if (!QDir().mkpath(library)) {
        qCCritical(lcServer) << "cannot create the library folder" << library;
        return 1;
    }
    if (parser.isSet(demoOption) && isEmptyFolder(library)) {
        qCInfo(lcServer) << "painting the demo library into" << library;
        if (!server::DemoArt::renderLibrary(library,
                                            parser.isSet(seedOption) ? seed : defaultDemoSeed))
            return 1;
    }
    // A signal during the painting ends the run here, once the files are complete.
    if (stopOnSignal.requested())
        return 0;

    const server::PickKey key = server::PickKey::loadOrCreate(parser.value(keyOption));
    if (!key.problem.isEmpty())
        qCWarning(lcServer).noquote() << key.problem;
    if (key.key.isEmpty())
        return 1;

    server::PictureServer::Options options;
    options.libraryPath = library;
    options.seed = seed;
    options.pickKey = key.key;
    options.scaledFolder = parser.value(cacheOption);
    if (parser.isSet(proxyOption)) {
        options.trustedProxy = proxy.toString().toStdString();
        // Every client behind the proxy shares its connections; the others keep the cap.
        options.limits.uncappedAddress = options.trustedProxy;
    }
    options.limits.connections = connectionCap(options.limits.connections);
    keepConnectionMemoryInHeap(options.limits.connectionMemory);
    server::PictureServer server(options);
    const QString address = parser.value(bindOption);
    QString problem;
    const int boundPort = server.bind(address, port, &problem);
    if (boundPort < 0) {
        qCCritical(lcServer).noquote()
            << u"cannot listen on %1 port %2: %3"_s.arg(address).arg(port).arg(problem.toLower());
        return 1;
    }
    const QString host = address.contains(u':') ? u'[' + address + u']' : address;
    std::printf("artcal-server listening on http://%s:%d\n", qPrintable(host), boundPort);
    std::fflush(stdout);
    stopOnSignal.setHandler([&server] { server.stop(); });
    if (!server.listen()) {
        qCCritical(lcServer).noquote() << "cannot serve on" << address << "port" << boundPort;
        return 1;
    }
    return 0;
}
