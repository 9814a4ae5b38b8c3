// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform::Autostart {

namespace {
QString quoted(const QString& word)
{
    static const QString plain =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./:=,@+");
    if (!word.isEmpty() &&
        std::all_of(word.begin(), word.end(), [](QChar c) { return plain.contains(c); }))
        return word;
    QString escaped;
    for (const QChar c : word) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    // "%" starts a field code in an Exec line.
    return u'"' + escaped.replace(u'%', QStringLiteral("%%")) + u'"';
}
} // namespace

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/artcal.desktop");
}

bool isEnabled()
{
    return QFileInfo(entryPath()).isFile();
}

QString execLine(const QString& program, const QStringList& arguments)
{
    QStringList words{quoted(program)};
    for (const QString& argument : arguments)
        words << quoted(argument);
    return words.join(u' ');
}

bool enable(const QString& program, const QStringList& arguments, QString* error)
{
    QDir().mkpath(QFileInfo(entryPath()).path());
    QSaveFile file(entryPath());
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=artcal\n"
                             "Comment=A desktop calendar with a picture of the day\n"
                             "Icon=artcal\n"
                             "TryExec=" +
                             program.toUtf8() +
                             "\n"
                             "Exec=" +
                             execLine(program, arguments).toUtf8() +
                             "\n"
                             "X-GNOME-Autostart-enabled=true\n";
    if (file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool disable()
{
    return !isEnabled() || QFile::remove(entryPath());
}

} // namespace platform::Autostart
