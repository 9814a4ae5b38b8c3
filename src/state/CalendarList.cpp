// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/CalendarList.h"

#include "platform/Logging.h"
#include "state/TextLines.h"

#include <QCryptographicHash>
#include <QDir>

namespace CalendarList {

namespace {
const QString events = QStringLiteral("events");
const QString holidays = QStringLiteral("holidays");
} // namespace

QString kindName(Kind kind)
{
    return kind == Kind::Holidays ? holidays : events;
}

QString cleanName(const QString& name)
{
    QString clean = name;
    for (QChar& c : clean) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return clean;
}

bool isSource(const QString& source)
{
    if (source.startsWith(u'/'))
        return QDir::isAbsolutePath(source);
    const QUrl url(source, QUrl::StrictMode);
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("webcal"), QStringLiteral("webcals")};
    return url.isValid() && !url.host().isEmpty() && schemes.contains(url.scheme());
}

QList<Entry> read(const QString& path)
{
    QList<Entry> entries;
    const QStringList lines = TextLines::read(path).value_or(QStringList());
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        const QStringList fields = line.split(u'\t');
        const QString source = fields.value(2).trimmed();
        if (line.trimmed().isEmpty())
            continue;
        if (fields.size() != 3 || (fields[0] != events && fields[0] != holidays) ||
            !isSource(source)) {
            // Not the line itself: it may hold a secret.
            qCWarning(lcState) << "Calendars.dat: line" << n + 1 << "is not a calendar, skipped";
            continue;
        }
        entries << Entry{fields[0] == holidays ? Kind::Holidays : Kind::Events, fields[1].trimmed(),
                         source};
    }
    return entries;
}

bool write(const QString& path, const QList<Entry>& entries, QString* error)
{
    QStringList lines;
    for (const Entry& e : entries)
        lines << kindName(e.kind) + u'\t' + cleanName(e.name) + u'\t' + e.source;
    return TextLines::write(path, lines, error, platform::AtomicFile::Access::Private);
}

QString copyName(const QString& address)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex()) +
           QStringLiteral(".ics");
}

QString shown(const QString& source)
{
    if (!source.contains(QStringLiteral("://")))
        return source;
    // Whatever sits between the scheme and the host, and the query, may be a secret.
    return QUrl(source)
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toDisplayString();
}

} // namespace CalendarList
