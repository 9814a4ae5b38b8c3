// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/XfceDesktop.h"

#include "wallpaper/DesktopTools.h"

#include <QRegularExpression>

namespace wallpaper {

namespace {
const QString tool = QStringLiteral("xfconf-query");

ToolRun get(const QString& property)
{
    return {
        tool,
        {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"), property}};
}

ToolRun set(const QString& property, const QString& value)
{
    ToolRun run = get(property);
    run.arguments << QStringLiteral("-s") << value;
    return run;
}

QString firstLine(const QString& output)
{
    return output.section(u'\n', 0, 0).trimmed();
}
} // namespace

void XfceDesktop::properties(Values done)
{
    runTools(
        {{tool, {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")}}},
        limit(), context(), [done](const QStringList& outputs, const QString& problem) {
            static const QRegularExpression lastImage(
                QStringLiteral("^/backdrop/screen\\d+/monitor[^/\\s]+/workspace\\d+/"
                               "last-image$"));
            QStringList found;
            for (const QString& line : outputs.value(0).split(u'\n')) {
                if (lastImage.match(line.trimmed()).hasMatch())
                    found << line.trimmed();
            }
            if (problem.isEmpty() && found.isEmpty())
                return done({}, QStringLiteral("Xfce has no desktop background to set"));
            done(found, problem);
        });
}

void XfceDesktop::read(Values done)
{
    properties([this, done](const QStringList& found, const QString& problem) {
        if (!problem.isEmpty())
            return done({}, problem);
        QList<ToolRun> runs;
        for (const QString& property : found)
            runs << get(property);
        runTools(runs, limit(), context(),
                 [done, found](const QStringList& outputs, const QString& problem) {
                     QStringList values;
                     for (qsizetype i = 0; i < outputs.size(); ++i)
                         values << found.at(i) + u' ' + firstLine(outputs.at(i));
                     done(values, problem);
                 });
    });
}

void XfceDesktop::show(const QString& path, Done done)
{
    properties([this, path, done](const QStringList& found, const QString& problem) {
        if (!problem.isEmpty())
            return done(problem);
        QList<ToolRun> runs;
        for (const QString& property : found)
            runs << set(property, path);
        for (const QString& property : found)
            runs << get(property);
        runTools(
            runs, limit(), context(),
            [done, found, path](const QStringList& outputs, const QString& problem) {
                if (!problem.isEmpty())
                    return done(problem);
                for (qsizetype i = 0; i < found.size(); ++i) {
                    const QString now = firstLine(outputs.at(found.size() + i));
                    if (now != path)
                        return done(
                            QStringLiteral("%1 reads %2 after it was set").arg(found.at(i), now));
                }
                done({});
            });
    });
}

void XfceDesktop::restore(const QStringList& values, Done done)
{
    QList<ToolRun> runs;
    for (const QString& value : values)
        runs << set(value.section(u' ', 0, 0), value.section(u' ', 1));
    runTools(runs, limit(), context(),
             [done](const QStringList&, const QString& problem) { done(problem); });
}

} // namespace wallpaper
