// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/DesktopTools.h"

#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace wallpaper {

namespace {

QString problemOf(QProcess& process, const QString& program)
{
    if (process.error() == QProcess::FailedToStart)
        return QStringLiteral("%1 is not installed").arg(program);
    if (process.exitStatus() == QProcess::CrashExit)
        return QStringLiteral("%1 stopped unexpectedly").arg(program);
    if (process.exitCode() == 0)
        return {};
    const QString said =
        QString::fromLocal8Bit(process.readAllStandardError()).trimmed().section(u'\n', 0, 0);
    return said.isEmpty() ? QStringLiteral("%1 failed with exit status %2")
                                .arg(program)
                                .arg(process.exitCode())
                          : QStringLiteral("%1 failed: %2").arg(program, said);
}

void runFrom(const QList<ToolRun>& runs, qsizetype next, QStringList outputs,
             std::chrono::milliseconds limit, QPointer<QObject> context, ToolsDone done)
{
    if (!context)
        return;
    if (next == runs.size())
        return done(outputs, {});
    const ToolRun& run = runs.at(next);
    auto* process = new QProcess(context);
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    // The process, its exit or its limit, reports once; then it goes (killed if it runs).
    const auto report = [=](const QString& problem) {
        process->disconnect();
        timer->stop();
        const QByteArray output = process->readAllStandardOutput();
        process->kill();
        process->deleteLater();
        if (!problem.isEmpty())
            return done(outputs, problem);
        runFrom(runs, next + 1, outputs + QStringList{QString::fromLocal8Bit(output)}, limit,
                context, done);
    };
    QObject::connect(timer, &QTimer::timeout, process, [report, run, limit]() {
        report(QStringLiteral("%1 did not answer %2").arg(run.program, withinLimit(limit)));
    });
    QObject::connect(process, &QProcess::finished, process,
                     [report, process, run]() { report(problemOf(*process, run.program)); });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [report, process, run](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             report(problemOf(*process, run.program));
                     });
    process->setStandardInputFile(QProcess::nullDevice());
    timer->start(limit);
    process->start(run.program, run.arguments);
}

} // namespace

void runTools(const QList<ToolRun>& runs, std::chrono::milliseconds limit, QObject* context,
              ToolsDone done)
{
    runFrom(runs, 0, {}, limit, context, std::move(done));
}

QString withinLimit(std::chrono::milliseconds limit)
{
    return QStringLiteral("within %1 s").arg(QString::number(limit.count() / 1000.0));
}

} // namespace wallpaper
