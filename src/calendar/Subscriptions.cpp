// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/Subscriptions.h"

#include "calendar/CalendarSet.h"
#include "calendar/CalendarText.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Logging.h"
#include "platform/WallClockWatch.h"
#include "state/TextLines.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr qint64 hourMs = 3600 * 1000;
// A failed fetch is tried again this much later, not at once.
constexpr qint64 retryMs = hourMs / 2;
const QByteArray etagLine = "ETag: ";
const QByteArray modifiedLine = "Last-Modified: ";

// The address fetched first: webcal and webcals are https.
QUrl firstUrl(const QString& address)
{
    QUrl url(address);
    if (url.scheme() == u"webcal" || url.scheme() == u"webcals")
        url.setScheme(QStringLiteral("https"));
    return url;
}
} // namespace

Subscriptions::Subscriptions(CalendarSet& calendars, platform::Http& http)
    : QObject(&calendars), m_calendars(calendars), m_http(http), m_timer(this, 0, false)
{
    connect(&m_timer, &QTimer::timeout, this, &Subscriptions::schedule);
    connect(&platform::WallClockWatch::instance(), &platform::WallClockWatch::jumped, this,
            &Subscriptions::schedule);
}

qint64 Subscriptions::refreshMs(CalendarList::Kind kind)
{
    return kind == CalendarList::Kind::Holidays ? 24 * hourMs : 6 * hourMs;
}

void Subscriptions::schedule()
{
    const qint64 now = platform::clock().now().toMSecsSinceEpoch();
    qint64 next = -1;
    for (const Entry& e : m_calendars.entries()) {
        if (!e.isAddress())
            continue;
        const QFileInfo copy(m_calendars.fileOf(e));
        qint64 due =
            copy.exists() ? copy.lastModified().toMSecsSinceEpoch() + refreshMs(e.kind) : now;
        due = std::max(due, m_nextTry.value(e.source));
        if (due <= now) {
            refresh(e);
            due = m_nextTry.value(e.source);
        }
        next = next < 0 ? due : std::min(next, due);
    }
    if (next < 0)
        return m_timer.stop();
    m_timer.sleepFor(std::max<qint64>(next - now, 1000)); // or until the clock jumps
    m_timer.setEnabled(true);
}

void Subscriptions::refresh(const Entry& entry)
{
    m_nextTry[entry.source] = platform::clock().now().toMSecsSinceEpoch() + retryMs;
    fetch(entry, firstUrl(entry.source));
}

QString Subscriptions::validatorsFile(const Entry& entry) const
{
    return m_calendars.fileOf(entry) + QStringLiteral(".head");
}

void Subscriptions::fetch(const Entry& entry, const QUrl& url)
{
    // Conditional only when the copy they describe is still there.
    QList<std::pair<QByteArray, QByteArray>> headers;
    if (QFileInfo::exists(m_calendars.fileOf(entry))) {
        for (const QString& line : TextLines::read(validatorsFile(entry)).value_or(QStringList())) {
            const QByteArray bytes = line.toUtf8();
            if (bytes.startsWith(etagLine))
                headers.emplaceBack("If-None-Match", bytes.mid(etagLine.size()));
            else if (bytes.startsWith(modifiedLine))
                headers.emplaceBack("If-Modified-Since", bytes.mid(modifiedLine.size()));
        }
    }
    m_http.getText(
        url, CalendarText::maxBytes + 1, this,
        [this, entry, url](const platform::HttpResult& result) { fetched(entry, url, result); },
        headers);
}

void Subscriptions::fetched(const Entry& entry, const QUrl& url, const platform::HttpResult& result)
{
    if (!std::any_of(m_calendars.entries().begin(), m_calendars.entries().end(),
                     [&entry](const Entry& e) { return e.source == entry.source; }))
        return; // removed meanwhile
    const bool webcal = QUrl(entry.source).scheme() == u"webcal";
    // webcal: no answer at all over https (refused, unreachable, no TLS): plain http then.
    if (webcal && url.scheme() == u"https" && result.status == 0) {
        QUrl plain = url;
        plain.setScheme(QStringLiteral("http"));
        return fetch(entry, plain);
    }
    CalendarSet::Status status = m_calendars.status(entry.source);
    status.encrypted = url.scheme() == u"https";
    m_calendars.setStatus(entry.source, status);
    if (!result.ok)
        return failed(entry, QStringLiteral("cannot fetch it: %1").arg(result.error));
    if (result.status == 304) {
        // Unchanged: the copy is as new as this answer.
        QFile copy(m_calendars.fileOf(entry));
        if (copy.open(QIODevice::Append))
            copy.setFileTime(platform::clock().now(), QFileDevice::FileModificationTime);
        status.problem.clear();
        status.refreshed = platform::clock().now();
        m_calendars.setStatus(entry.source, status);
        m_nextTry[entry.source] = 0;
        return;
    }
    if (result.status / 100 != 2)
        return failed(entry,
                      QStringLiteral("the server answered HTTP status %1").arg(result.status));
    const QStringList validators = {
        QString::fromLatin1(etagLine + result.header("ETag")),
        QString::fromLatin1(modifiedLine + result.header("Last-Modified"))};
    m_calendars.replaceCopy(entry.source, result.body,
                            [this, entry, validators](const QString& problem) {
                                if (!problem.isEmpty())
                                    return failed(entry, problem);
                                CalendarSet::Status s = m_calendars.status(entry.source);
                                s.refreshed = platform::clock().now();
                                m_calendars.setStatus(entry.source, s);
                                m_nextTry[entry.source] = 0;
                                TextLines::write(validatorsFile(entry), validators, nullptr,
                                                 platform::AtomicFile::Access::Private);
                            });
}

void Subscriptions::failed(const Entry& entry, const QString& problem)
{
    qCWarning(lcState).noquote() << "calendar" << CalendarList::shown(entry.source)
                                 << "not refreshed:" << problem;
    CalendarSet::Status status = m_calendars.status(entry.source);
    status.problem = problem;
    m_calendars.setStatus(entry.source, status);
}
