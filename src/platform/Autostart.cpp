// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Autostart.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace platform::Autostart {

namespace {
// No value of a desktop entry can hold a line break, which would end its line and let
// what follows read as a key of its own, nor any other control character (the format
// allows none). A tab has an escape of its own, "\t".
bool writable(const QString& word)
{
    return std::all_of(word.begin(), word.end(),
                       [](QChar c) { return c == u'\t' || c.category() != QChar::Other_Control; });
}

// Why these words cannot be written, in plain words; empty when they can.
QString refusal(const QString& program, const QStringList& arguments)
{
    const QString holds = QStringLiteral(" holds a line break or another control character");
    if (!writable(program))
        return QStringLiteral("the program's path") + holds;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (writable(arguments[i]))
            continue;
        if (i > 0 && arguments[i - 1].startsWith(u"--"))
            return QStringLiteral("the %1 value").arg(arguments[i - 1]) + holds;
        return QStringLiteral("an argument") + holds;
    }
    return {};
}

// One word of the Exec key. The format wants quotes around a word with any reserved
// character; here any word beyond these plain characters is quoted in whole, with '"',
// '`', '$' and '\' escaped by a backslash inside. A '%' starts a field code, so a
// literal one is doubled.
QString execWord(const QString& word)
{
    static const QString plain =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./:=,@+");
    if (!word.isEmpty() &&
        std::all_of(word.begin(), word.end(), [](QChar c) { return plain.contains(c); }))
        return word;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
        if (c == u'%')
            quoted += u'%';
    }
    return quoted + u'"';
}

// A value of type string, escaped as the format says: a backslash doubled, a tab as
// "\t", and a space at either end as "\s" (GLib drops a leading one, other readers a
// trailing one). Readers undo this before anything else, the Exec key's quoting too.
QString stringValue(const QString& text)
{
    QString value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u' ' && (i == 0 || i == text.size() - 1))
            value += QStringLiteral("\\s");
        else
            value += c;
    }
    return value;
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
    if (!refusal(program, arguments).isEmpty())
        return {};
    QStringList words{execWord(program)};
    for (const QString& argument : arguments)
        words << execWord(argument);
    return stringValue(words.join(u' '));
}

bool enable(const QString& program, const QStringList& arguments, QString* error)
{
    if (const QString refused = refusal(program, arguments); !refused.isEmpty()) {
        if (error)
            *error = refused;
        return false;
    }
    QDir().mkpath(QFileInfo(entryPath()).path());
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=artcal\n"
                             "Comment=A desktop calendar with a picture of the day\n"
                             "Icon=artcal\n"
                             "TryExec=" +
                             stringValue(program).toUtf8() +
                             "\n"
                             "Exec=" +
                             execLine(program, arguments).toUtf8() +
                             "\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return AtomicFile::write(entryPath(), entry, error);
}

bool disable(QString* error)
{
    QFile file(entryPath());
    if (!isEnabled() || file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace platform::Autostart
