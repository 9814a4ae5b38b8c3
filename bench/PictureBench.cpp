// SPDX-License-Identifier: GPL-3.0-or-later
// Drives artcal's own picture code the way the widget runs it, and the reference it is
// compared with. Each mode prints one line of key=value pairs on stdout.
//   artcal-bench-picture make-jpeg OUT.jpg
//       a 6000 x 4000 JPEG with photo-like detail
//   artcal-bench-picture load FILE
//       a full-resolution QImage load: ms, peak_growth_kib
//   artcal-bench-picture decode FILE
//       artcal's own decode step alone (PictureLoader::load to Image1's size)
//   artcal-bench-picture install --data-dir DIR --server URL --category NAME
//       the refresh button (Label6_Click) in that category, until the new picture is
//       installed: ms, peak_growth_kib
//   artcal-bench-picture download --data-dir DIR --server URL --url URL --out FILE
//       PictureInstaller::DownloadFile into FILE: ms, bytes
// Peak growth is the highest resident size during the step (VmHWM, restarted just
// before it) less the resident size before it.

#include "DetailedJpeg.h"
#include "FormProbes.h"
#include "PictureCycleProbe.h"
#include "ProcStats.h"

#include "app/Form1.h"
#include "picture/PictureCycle.h"
#include "picture/PictureLoader.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

namespace {

constexpr int timeoutMs = 60000;

struct Peak
{
    long before = -1;
    bool reset = false;

    void start()
    {
        reset = procstats::resetPeak(getpid());
        before = procstats::statusKib(getpid(), QStringLiteral("VmRSS").toStdString());
    }
    long growth() const
    {
        return procstats::statusKib(getpid(), QStringLiteral("VmHWM").toStdString()) - before;
    }
};

int fail(const QString& why)
{
    std::fprintf(stderr, "artcal-bench-picture: %s\n", qPrintable(why));
    return 1;
}

int report(double ms, const Peak& peak, const QString& extra = {})
{
    if (!peak.reset)
        return fail(QStringLiteral("the kernel refused to restart the peak memory count"));
    std::printf("ms=%.1f peak_growth_kib=%ld rss_before_kib=%ld%s\n", ms, peak.growth(),
                peak.before, qPrintable(extra));
    return 0;
}

int load(const QString& path)
{
    Peak peak;
    peak.start();
    QElapsedTimer clock;
    clock.start();
    const QImage image(path);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (image.isNull())
        return fail(QStringLiteral("cannot load %1").arg(path));
    return report(ms, peak,
                  QStringLiteral(" width=%1 height=%2").arg(image.width()).arg(image.height()));
}

int decode(const QString& path)
{
    const QSize shown(188, 144); // Image1 at a device-pixel ratio of 1, as in the install
    Peak peak;
    peak.start();
    QElapsedTimer clock;
    clock.start();
    const QImage image = PictureLoader::load(path, shown);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (image.isNull())
        return fail(QStringLiteral("cannot decode %1").arg(path));
    return report(ms, peak,
                  QStringLiteral(" width=%1 height=%2").arg(image.width()).arg(image.height()));
}

// Runs the event loop until `done` holds, checking every millisecond; false on timeout.
bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &check, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            QCoreApplication::quit();
    });
    check.start(1);
    QCoreApplication::exec();
    return done();
}

int install(const QString& dataDir, const QString& server, const QString& category)
{
    Form1 form({dataDir, server});
    const Form1Controls& ui = Form1Probe::controls(form);
    const int index = ui.Combo2->findText(category);
    if (index < 2)
        return fail(
            QStringLiteral("Categories.dat in %1 does not offer %2").arg(dataDir, category));
    ui.Combo2->setCurrentIndex(index);
    ui.Combo1->setCurrentIndex(ui.Combo1->count() - 1); // manual: no timed refresh meanwhile
    form.cycle().RearmTimer2();
    const qint64 shown = ui.Image1->picture().cacheKey();

    Peak peak;
    peak.start();
    QElapsedTimer clock;
    clock.start();
    bool ended = false;
    QObject::connect(&form.cycle(), &PictureCycle::ended, &form, [&] { ended = true; });
    form.Label6_Click();
    runUntil([&] { return ended; });
    const bool installed = ui.Image1->picture().cacheKey() != shown;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!installed)
        return fail(QStringLiteral("no picture was installed from %1").arg(server));
    return report(ms, peak,
                  QStringLiteral(" shown=%1x%2")
                      .arg(ui.Image1->picture().width())
                      .arg(ui.Image1->picture().height()));
}

int download(const QString& dataDir, const QString& server, const QString& url, const QString& out)
{
    Form1 form({dataDir, server});
    PictureCycleProbe::refreshTimer(form.cycle()).stop();
    Peak peak;
    peak.start();
    QElapsedTimer clock;
    clock.start();
    std::optional<bool> result;
    double ms = 0;
    form.cycle().install().DownloadFile(url, out, [&](const QString& problem, int) {
        ms = double(clock.nsecsElapsed()) / 1e6;
        result = problem.isEmpty();
    });
    runUntil([&] { return result.has_value(); });
    if (!result.value_or(false))
        return fail(QStringLiteral("DownloadFile of %1 failed").arg(url));
    return report(ms, peak, QStringLiteral(" bytes=%1").arg(QFileInfo(out).size()));
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("State folder."),
                                     QStringLiteral("dir"));
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Picture server."),
                                    QStringLiteral("url"));
    const QCommandLineOption category(QStringLiteral("category"), QStringLiteral("Category."),
                                      QStringLiteral("name"));
    const QCommandLineOption url(QStringLiteral("url"), QStringLiteral("File to download."),
                                 QStringLiteral("url"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Where to download it."),
                                 QStringLiteral("file"));
    parser.addOptions({dataDir, server, category, url, out});
    parser.addPositionalArgument(QStringLiteral("mode"),
                                 QStringLiteral("make-jpeg, load, decode, install or download"));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    const QString mode = args.value(0);

    if (mode == u"make-jpeg" && args.size() == 2)
        return writeDetailedJpeg(args[1], {6000, 4000}, 95)
                   ? 0
                   : fail(QStringLiteral("cannot write ") + args[1]);
    if (mode == u"load" && args.size() == 2)
        return load(args[1]);
    if (mode == u"decode" && args.size() == 2)
        return decode(args[1]);
    if (mode == u"install")
        return install(parser.value(dataDir), parser.value(server), parser.value(category));
    if (mode == u"download")
        return download(parser.value(dataDir), parser.value(server), parser.value(url),
                        parser.value(out));
    parser.showHelp(2);
}
