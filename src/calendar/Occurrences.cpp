// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/Occurrences.h"

#include "calendar/CalendarText.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <libical/ical.h>

#include <algorithm>
#include <memory>

namespace {

// A rule is followed at most this many steps per event, and per file: a rule may
// repeat every second for centuries, and a COUNT rule must be followed from its start.
constexpr int maxStepsPerEvent = 20000;
constexpr int maxStepsPerFile = 2000000;

struct Tree
{
    icalcomponent* root;
    ~Tree() { icalcomponent_free(root); }
};

// The span asked for, and what is kept of it.
class Collector
{
public:
    Collector(QDate from, QDate to, const QTimeZone& local) : m_from(from), m_to(to), m_local(local)
    {
        m_windowStart = QDateTime(from, QTime(0, 0), local).toSecsSinceEpoch();
        // A little past the days, whatever the offsets of the zones met.
        m_windowEnd = QDateTime(to.addDays(1), QTime(0, 0), local).toSecsSinceEpoch() + 2 * 86400;
    }

    // Seconds since the epoch of `t`; a floating time is read in the local time zone.
    qint64 epoch(icaltimetype t) const
    {
        const icaltimezone* zone = icaltime_get_timezone(t);
        if (icaltime_is_utc(t))
            zone = icaltimezone_get_utc_timezone();
        if (!zone)
            return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second),
                             m_local)
                .toSecsSinceEpoch();
        return qint64(icaltime_as_timet_with_zone(t, zone));
    }

    // Whether an event starting at `t` and lasting `length` can no longer reach the span.
    bool pastEnd(icaltimetype t) const
    {
        return icaltime_is_date(t) ? QDate(t.year, t.month, t.day) > m_to : epoch(t) > m_windowEnd;
    }
    qint64 windowStart() const { return m_windowStart; }

    // An all-day event covers `days` days from `t`; a timed one `seconds` from it.
    void add(icaltimetype t, int days, qint64 seconds, const QString& summary,
             QHash<int, int>& perMonth)
    {
        Occurrence o{{}, {}, {}, summary};
        if (icaltime_is_date(t)) {
            o.first = QDate(t.year, t.month, t.day); // a date is the same day everywhere
            o.last = o.first.addDays(std::max(days, 1) - 1);
        } else {
            const qint64 start = epoch(t);
            if (start + seconds < m_windowStart || start > m_windowEnd)
                return; // far from the span: no need to place it in the local zone
            const QDateTime begin = QDateTime::fromSecsSinceEpoch(start, m_local);
            o.first = begin.date();
            o.start = begin.time();
            // The end is exclusive: an event that ends at midnight does not touch the next day.
            o.last = seconds > 0
                         ? QDateTime::fromSecsSinceEpoch(start + seconds - 1, m_local).date()
                         : o.first;
        }
        if (!o.first.isValid() || o.last < m_from || o.first > m_to)
            return;
        if (++perMonth[o.first.year() * 12 + o.first.month()] > Occurrences::maxPerMonth)
            return;
        m_items << o;
    }

    QList<Occurrence> take()
    {
        std::sort(m_items.begin(), m_items.end(), [](const Occurrence& a, const Occurrence& b) {
            return std::tie(a.first, a.start, a.summary) < std::tie(b.first, b.start, b.summary);
        });
        return std::move(m_items);
    }

    int stepsLeft = maxStepsPerFile;

private:
    QDate m_from, m_to;
    QTimeZone m_local;
    qint64 m_windowStart = 0, m_windowEnd = 0;
    QList<Occurrence> m_items;
};

// Names one instance of a recurring event, so that an override can stand in for it.
QString instanceKey(const char* uid, icaltimetype t, const Collector& c)
{
    const QString when =
        icaltime_is_date(t) ? QStringLiteral("d%1").arg(QDate(t.year, t.month, t.day).toJulianDay())
                            : QStringLiteral("t%1").arg(c.epoch(t));
    return QString::fromUtf8(uid ? uid : "") + u'\n' + when;
}

QList<icalcomponent*> eventsOf(icalcomponent* root)
{
    QList<icalcomponent*> calendars;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        calendars << root;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        calendars << c;
    QList<icalcomponent*> events;
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             e; e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            events << e;
    }
    return events;
}

// How long one instance of `event` lasts: whole days for an all-day event, else seconds.
void lengthOf(icalcomponent* event, icaltimetype start, const Collector& c, int& days,
              qint64& seconds)
{
    days = 1;
    seconds = 0;
    if (icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        const icaltimetype end = icalcomponent_get_dtend(event);
        if (icaltime_is_date(start))
            days = int(QDate(start.year, start.month, start.day)
                           .daysTo(QDate(end.year, end.month, end.day)));
        else
            seconds = c.epoch(end) - c.epoch(start);
    } else if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        seconds = icaldurationtype_as_int(icalproperty_get_duration(p));
        days = int(seconds / 86400);
    }
    seconds = std::max<qint64>(seconds, 0);
}

void expand(icalcomponent* event, const QSet<QString>& overridden, Collector& c)
{
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
        return;
    icaltimetype dtstart = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(dtstart) || !icaltime_is_valid_time(dtstart))
        return;
    const icaltimezone* zone = icaltime_get_timezone(dtstart);
    int days = 1;
    qint64 seconds = 0;
    lengthOf(event, dtstart, c, days, seconds);
    const QString summary =
        CalendarText::oneLine(QString::fromUtf8(icalcomponent_get_summary(event)));
    const char* uid = icalcomponent_get_uid(event);
    const bool isOverride =
        icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY) != nullptr;
    QHash<int, int> perMonth;
    auto instance = [&](icaltimetype t) {
        if (isOverride || ((overridden.isEmpty() || !overridden.contains(instanceKey(uid, t, c))) &&
                           !icalproperty_recurrence_is_excluded(event, &dtstart, &t)))
            c.add(t, days, seconds, summary, perMonth);
    };

    icalproperty* rrule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (isOverride || !rrule) {
        instance(dtstart);
    } else {
        const icalrecurrencetype rule = icalproperty_get_rrule(rrule);
        std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)> it(
            icalrecur_iterator_new(rule, dtstart), icalrecur_iterator_free);
        // Straight to the span, where the rule allows it (not with COUNT). A date or a
        // floating time is placed by the day, whatever the offset.
        const bool exact = zone && !icaltime_is_date(dtstart);
        const qint64 from = c.windowStart() - seconds - (exact ? 0 : 86400 * qint64(days + 1));
        if (it && rule.count == 0 && from > c.epoch(dtstart)) {
            icaltimetype skip =
                icaltime_from_timet_with_zone(time_t(from), icaltime_is_date(dtstart),
                                              zone ? zone : icaltimezone_get_utc_timezone());
            if (!zone)
                skip.zone = nullptr;
            icalrecur_iterator_set_start(it.get(), skip);
        }
        for (int steps = 0; it && steps < maxStepsPerEvent && c.stepsLeft > 0;
             ++steps, --c.stepsLeft) {
            icaltimetype t = icalrecur_iterator_next(it.get());
            icaltime_set_timezone(&t, zone);
            if (icaltime_is_null_time(t) || c.pastEnd(t))
                break;
            instance(t);
        }
    }
    if (isOverride)
        return;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
        // A date-time in the zone its TZID names; a period by its start.
        const icaltimetype t = icaltime_is_null_time(rdate.time)
                                   ? rdate.period.start
                                   : icalproperty_get_datetime_with_component(p, event);
        if (!icaltime_is_null_time(t))
            instance(t);
    }
}

} // namespace

Occurrences Occurrences::of(const QByteArray& text, QDate from, QDate to, const QTimeZone& local)
{
    if (const QString problem = CalendarText::problemWith(text); !problem.isEmpty())
        return {{}, problem};
    icalerror_set_errors_are_fatal(0);
    // QByteArray ends in a NUL, and the check above refused a NUL within.
    icalcomponent* root = icalparser_parse_string(text.constData());
    if (!root)
        return {{}, QStringLiteral("the file is not an iCalendar file")};
    const Tree tree{root};
    const QList<icalcomponent*> events = eventsOf(root);
    if (events.isEmpty() && icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT &&
        icalcomponent_isa(root) != ICAL_XROOT_COMPONENT)
        return {{}, QStringLiteral("the file is not an iCalendar file")};
    if (events.size() > CalendarText::maxEvents)
        return {{},
                QStringLiteral("the file has more than %1 events").arg(CalendarText::maxEvents)};

    Collector collector(from, to, local);
    QSet<QString> overridden;
    for (icalcomponent* e : events) {
        if (icalproperty* id = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY))
            overridden.insert(instanceKey(icalcomponent_get_uid(e),
                                          icalproperty_get_datetime_with_component(id, e),
                                          collector));
    }
    for (icalcomponent* e : events)
        expand(e, overridden, collector);
    return {collector.take(), {}};
}
