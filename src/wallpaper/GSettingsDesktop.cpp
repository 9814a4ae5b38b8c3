// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/GSettingsDesktop.h"

#include "wallpaper/DesktopTools.h"

#include <QUrl>

namespace wallpaper {

namespace {
const QString tool = QStringLiteral("gsettings");
const QString optionsKey = QStringLiteral("picture-options");
const QString zoom = QStringLiteral("zoom");

ToolRun gsettings(const QStringList& arguments)
{
    return {tool, arguments};
}
} // namespace

GSettingsDesktop::GSettingsDesktop(Family family, QObject* context, std::chrono::milliseconds limit)
    : Desktop(context, limit), m_family(family)
{
    switch (family) {
    case Family::Gnome:
        m_schema = QStringLiteral("org.gnome.desktop.background");
        break;
    case Family::Mate:
        m_schema = QStringLiteral("org.mate.background");
        break;
    case Family::Cinnamon:
        m_schema = QStringLiteral("org.cinnamon.desktop.background");
        break;
    }
}

QString GSettingsDesktop::name() const
{
    switch (m_family) {
    case Family::Gnome:
        return QStringLiteral("GNOME");
    case Family::Mate:
        return QStringLiteral("MATE");
    case Family::Cinnamon:
        return QStringLiteral("Cinnamon");
    }
    return {};
}

QList<GSettingsDesktop::Key> GSettingsDesktop::fileKeys() const
{
    switch (m_family) {
    // Since GNOME 42 the dark style shows picture-uri-dark: both must change.
    case Family::Gnome:
        return {{QStringLiteral("picture-uri"), true}, {QStringLiteral("picture-uri-dark"), true}};
    case Family::Mate:
        return {{QStringLiteral("picture-filename"), false}};
    case Family::Cinnamon:
        return {{QStringLiteral("picture-uri"), true}};
    }
    return {};
}

QStringList GSettingsDesktop::keys() const
{
    QStringList names;
    for (const Key& key : fileKeys())
        names << key.name;
    return names << optionsKey;
}

void GSettingsDesktop::read(Values done)
{
    QList<ToolRun> runs;
    for (const QString& key : keys())
        runs << gsettings({QStringLiteral("get"), m_schema, key});
    runTools(runs, limit(), context(), [done](const QStringList& outputs, const QString& problem) {
        QStringList values;
        for (const QString& output : outputs)
            values << output.trimmed().section(u'\n', 0, 0);
        done(values, problem);
    });
}

void GSettingsDesktop::show(const QString& path, Done done)
{
    QList<ToolRun> runs;
    QStringList expected;
    for (const Key& key : fileKeys()) {
        const QString value =
            key.uri ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) : path;
        runs << gsettings({QStringLiteral("set"), m_schema, key.name, quoted(value)});
        expected << value;
    }
    runs << gsettings({QStringLiteral("set"), m_schema, optionsKey, quoted(zoom)});
    for (const Key& key : fileKeys())
        runs << gsettings({QStringLiteral("get"), m_schema, key.name});
    const QStringList names = keys();
    runTools(runs, limit(), context(),
             [done, expected, names](const QStringList& outputs, const QString& problem) {
                 if (!problem.isEmpty())
                     return done(problem);
                 const QStringList readBack = outputs.mid(outputs.size() - expected.size());
                 for (qsizetype i = 0; i < expected.size(); ++i) {
                     if (unquoted(readBack.at(i)) != expected.at(i))
                         return done(QStringLiteral("%1 reads %2 after it was set")
                                         .arg(names.at(i), readBack.at(i).trimmed()));
                 }
                 done({});
             });
}

void GSettingsDesktop::restore(const QStringList& values, Done done)
{
    const QStringList names = keys();
    QList<ToolRun> runs;
    for (qsizetype i = 0; i < std::min(values.size(), names.size()); ++i)
        runs << gsettings({QStringLiteral("set"), m_schema, names.at(i), values.at(i)});
    runTools(runs, limit(), context(),
             [done](const QStringList&, const QString& problem) { done(problem); });
}

QString GSettingsDesktop::quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + escaped + u'\'';
}

QString GSettingsDesktop::unquoted(const QString& printed)
{
    const QString text = printed.trimmed();
    if (text.size() < 2 || (text.front() != u'\'' && text.front() != u'"') ||
        text.back() != text.front())
        return text;
    QString value;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        if (text.at(i) == u'\\' && i + 1 < text.size() - 1)
            ++i;
        value += text.at(i);
    }
    return value;
}

} // namespace wallpaper
