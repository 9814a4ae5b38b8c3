// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>

namespace wallpaper {

// One run of a desktop's command-line tool.
struct ToolRun
{
    QString program;
    QStringList arguments;
};

// What the tools printed on standard output, one entry per run, or why they stopped.
using ToolsDone = std::function<void(const QStringList& outputs, const QString& problem)>;

// Runs `runs` one after another, each through QProcess's signals and within `limit`
// (a tool that hangs is killed), and stops at the first that is missing, fails or
// hangs. `done` runs once, unless `context` goes first, which ends the run under way.
void runTools(const QList<ToolRun>& runs, std::chrono::milliseconds limit, QObject* context,
              ToolsDone done);

// "within 5 s", for the problem of anything that took too long.
QString withinLimit(std::chrono::milliseconds limit);

} // namespace wallpaper
