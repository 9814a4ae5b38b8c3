// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TagTimer.h"
#include "state/CalendarList.h"

#include <QHash>
#include <QObject>

class CalendarSet;
namespace platform {
class Http;
struct HttpResult;
} // namespace platform

// Keeps the copies of the subscribed calendars current: each is fetched when its copy is
// older than its refresh time (six hours, a day for holidays), with a conditional request
// (ETag, If-Modified-Since), and a new copy is kept only when it is a whole calendar. In
// between, one timer sleeps until the next is due, or the wall clock jumps.
class Subscriptions : public QObject
{
    Q_OBJECT
public:
    using Entry = CalendarList::Entry;

    Subscriptions(CalendarSet& calendars, platform::Http& http);

    // Fetches what is due and sleeps until the next; called again when the list changes.
    void schedule();
    // Fetches `entry` now (a new subscription).
    void refresh(const Entry& entry);

    static qint64 refreshMs(CalendarList::Kind kind);

private:
    void fetch(const Entry& entry, const QUrl& url);
    void fetched(const Entry& entry, const QUrl& url, const platform::HttpResult& result);
    void failed(const Entry& entry, const QString& problem);
    QString validatorsFile(const Entry& entry) const;

    CalendarSet& m_calendars;
    platform::Http& m_http;
    TagTimer m_timer;
    QHash<QString, qint64> m_nextTry; // by address, in ms since the epoch
};
