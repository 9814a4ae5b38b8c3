// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportCommand.h"

#include "Importer.h"
#include "ServerLog.h"
#include "SourcesConf.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QLockFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace server::import {

namespace {

// The pause between two requests to one host. A mirror on one's own network, or a test's
// loopback fake, may set a shorter one in ARTCAL_IMPORT_PAUSE_MS.
std::chrono::milliseconds requestPause()
{
    bool ok = false;
    const int pause = qEnvironmentVariableIntValue("ARTCAL_IMPORT_PAUSE_MS", &ok);
    return ok && pause >= 0 ? std::chrono::milliseconds(pause) : Fetcher::Options().pause;
}

} // namespace

int runCommand(const QStringList& arguments, const QString& defaultLibrary)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Imports new public-domain pictures from the sources of sources.conf."_s);
    parser.addHelpOption();
    parser.addPositionalArgument(u"import"_s, u"The import command."_s);
    const QCommandLineOption libraryOption(
        u"library"_s, u"The library folder (default %1)."_s.arg(defaultLibrary), u"dir"_s,
        defaultLibrary);
    const QCommandLineOption sourcesOption(
        u"sources"_s, u"The sources (default %1)."_s.arg(SourcesConf::path()), u"file"_s);
    const QCommandLineOption onceOption(
        u"once"_s, u"Imports from this source alone, enabled or not."_s, u"name"_s);
    parser.addOptions({libraryOption, sourcesOption, onceOption});
    if (!parser.parse(arguments) || parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "artcal-server import: %s\nTry \"artcal-server import --help\".\n",
                     qPrintable(parser.errorText().isEmpty() ? u"unexpected argument"_s
                                                             : parser.errorText()));
        return 2;
    }
    if (parser.isSet(u"help"_s)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    const QString sourcesPath =
        parser.isSet(sourcesOption) ? parser.value(sourcesOption) : SourcesConf::path();
    QFile sourcesFile(sourcesPath);
    if (!sourcesFile.open(QIODevice::ReadOnly)) {
        qCCritical(lcServer).noquote()
            << "cannot read" << sourcesPath << ":" << sourcesFile.errorString();
        return 1;
    }
    const SourcesConf::Result conf = SourcesConf::parse(sourcesFile.read(1 << 20));
    if (!conf.problem.isEmpty()) {
        qCCritical(lcServer).noquote() << sourcesPath + u": "_s + conf.problem;
        return 1;
    }
    QList<Source> sources;
    for (const Source& source : conf.sources)
        if (parser.isSet(onceOption) ? source.name == parser.value(onceOption) : source.enabled)
            sources.append(source);
    if (parser.isSet(onceOption) && sources.isEmpty()) {
        qCCritical(lcServer).noquote()
            << u"%1 has no source [%2]"_s.arg(sourcesPath, parser.value(onceOption));
        return 1;
    }

    const QString library = QDir(parser.value(libraryOption)).absolutePath();
    const QString stateFolder = Importer::stateFolder(library);
    if (!QDir().mkpath(stateFolder)) {
        qCCritical(lcServer).noquote() << "cannot create" << stateFolder;
        return 1;
    }
    // Servers sharing a library import once: the first to come holds the lock. A lock of
    // a process that died is taken over; a long run's lock never goes stale by age.
    QLockFile lock(stateFolder + u"/lock"_s);
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        std::printf("another import is running on %s; this one leaves it to it\n",
                    qPrintable(library));
        return 0;
    }

    Importer importer({.library = library,
                       .fetch = {.pause = requestPause()},
                       .killAt = qEnvironmentVariable("ARTCAL_IMPORT_KILL_AT")});
    bool anyWorked = sources.isEmpty();
    for (const Source& source : std::as_const(sources)) {
        const Importer::Outcome outcome = importer.run(source);
        anyWorked = anyWorked || outcome.worked;
        std::fprintf(outcome.worked ? stdout : stderr, "%s\n", qPrintable(outcome.message));
        std::fflush(stdout);
    }
    return anyWorked ? 0 : 1;
}

} // namespace server::import
