// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/Occurrences.h"

#include "calendar/CalendarSlice.h"
#include "calendar/CalendarText.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <libical/ical.h>

#include <algorithm>
#include <memory>
#include <optional>

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
            return wallClock(t, m_local);
        if (const QTimeZone named = system(zone); named.isValid())
            return wallClock(t, named);
        return qint64(icaltime_as_timet_with_zone(t, zone));
    }

    // Whether an event starting at `t` and lasting `length` can no longer reach the span.
    bool pastEnd(icaltimetype t) const
    {
        return icaltime_is_date(t) ? QDate(t.year, t.month, t.day) > m_to : epoch(t) > m_windowEnd;
    }
    qint64 windowStart() const { return m_windowStart; }
    QDate firstDay() const { return m_from; }
    QDate lastDay() const { return m_to; }

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
    // The instant a wall-clock time names in `zone`. A time that is there twice, when the
    // clocks go back, is the first of the two; one that is not there, when they go
    // forward, is read with the offset in force before the change.
    static qint64 wallClock(icaltimetype t, const QTimeZone& zone)
    {
        const qint64 wall =
            QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC)
                .toSecsSinceEpoch();
        const auto offsetAt = [&](qint64 utc) {
            return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utc, Qt::UTC));
        };
        const int before = offsetAt(wall - 86400);
        std::optional<qint64> first;
        for (const int offset : {before, offsetAt(wall + 86400)}) {
            if (offsetAt(wall - offset) == offset)
                first = std::min(first.value_or(wall - offset), wall - offset);
        }
        return first.value_or(wall - before);
    }

    // The system's own time zone a TZID names, when libical took it from the system's
    // database too (and not from a VTIMEZONE of the file): Qt reads it from the same
    // files, without libical expanding its rules through ICU, which costs the widget
    // megabytes of ICU's data.
    QTimeZone system(const icaltimezone* zone) const
    {
        const auto known = m_zones.constFind(zone);
        if (known != m_zones.cend())
            return *known;
        const char* location = icaltimezone_get_location(const_cast<icaltimezone*>(zone));
        QTimeZone named;
        if (location && icaltimezone_get_builtin_timezone(location) == zone)
            named = QTimeZone(QByteArray(location));
        return m_zones[zone] = named;
    }

    QDate m_from, m_to;
    QTimeZone m_local;
    mutable QHash<const icaltimezone*, QTimeZone> m_zones;
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

// An event and the properties that place it, found in one walk of its properties: each
// lookup by kind walks them all again.
struct Event
{
    icalcomponent* component;
    icalproperty* start = nullptr;
    icalproperty* end = nullptr;
    icalproperty* duration = nullptr;
    icalproperty* rule = nullptr;
    icalproperty* recurrenceId = nullptr;
    bool hasRdates = false;
};

Event eventOf(icalcomponent* component)
{
    Event e{component};
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
        switch (icalproperty_isa(p)) {
        case ICAL_DTSTART_PROPERTY:
            e.start = e.start ? e.start : p;
            break;
        case ICAL_DTEND_PROPERTY:
            e.end = e.end ? e.end : p;
            break;
        case ICAL_DURATION_PROPERTY:
            e.duration = e.duration ? e.duration : p;
            break;
        case ICAL_RRULE_PROPERTY:
            e.rule = e.rule ? e.rule : p;
            break;
        case ICAL_RECURRENCEID_PROPERTY:
            e.recurrenceId = e.recurrenceId ? e.recurrenceId : p;
            break;
        case ICAL_RDATE_PROPERTY:
            e.hasRdates = true;
            break;
        default:
            break;
        }
    }
    return e;
}

QList<Event> eventsOf(icalcomponent* root)
{
    QList<icalcomponent*> calendars;
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT)
        calendars << root;
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        calendars << c;
    QList<Event> events;
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             e; e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
            events << eventOf(e);
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

// An event's times as the file writes them, read without their time zone: what they name
// lies within a day and a half of it anywhere (offsets run from -12 to +14 hours). That
// is enough to pass over the events far from the span before the costly part, their zones
// and the recurrence iterator.
constexpr int wallMarginDays = 3;

QDate wallDate(icaltimetype t)
{
    return QDate(t.year, t.month, t.day);
}

// The days after its start day that one instance of `event` may still touch, by its
// wall-clock times.
qint64 wallSpanDays(const Event& event, icaltimetype start)
{
    if (event.end)
        return std::max<qint64>(wallDate(start).daysTo(wallDate(icalproperty_get_dtend(event.end))),
                                0);
    if (event.duration)
        return std::max(icaldurationtype_as_int(icalproperty_get_duration(event.duration)), 0) /
                   86400 +
               1;
    return 1;
}

bool onlyByDay(const icalrecurrencetype& rule)
{
    for (const short* by : {rule.by_second, rule.by_minute, rule.by_hour, rule.by_month_day,
                            rule.by_year_day, rule.by_week_no, rule.by_month, rule.by_set_pos}) {
        if (by[0] != ICAL_RECURRENCE_ARRAY_MAX)
            return false;
    }
    return true;
}

// The last day a rule's instances may start on, by the wall clock; invalid when it
// cannot be told without following the rule.
QDate lastWallDay(const icalrecurrencetype& rule, icaltimetype start)
{
    if (!icaltime_is_null_time(rule.until))
        return wallDate(rule.until);
    if (rule.count <= 0 || !onlyByDay(rule))
        return {};
    // Each day (each week) that the rule names holds at least one instance.
    const qint64 steps = qint64(rule.count) * std::max<short>(rule.interval, 1);
    if (rule.freq == ICAL_DAILY_RECURRENCE && rule.by_day[0] == ICAL_RECURRENCE_ARRAY_MAX)
        return wallDate(start).addDays(steps);
    if (rule.freq == ICAL_WEEKLY_RECURRENCE)
        return wallDate(start).addDays(7 * steps);
    return {};
}

// The days between the instances of a rule that repeats its start by whole days or weeks
// (no BY parts, no UNTIL), or 0 for any other rule. Such a rule's instances are its start
// moved on by whole steps of the wall clock: found without libical's iterator, whose
// every step is a round of calendar arithmetic.
int plainStepDays(const icalrecurrencetype& rule)
{
    if (!icaltime_is_null_time(rule.until) || !onlyByDay(rule) ||
        rule.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX)
        return 0;
    const int interval = std::max<short>(rule.interval, 1);
    return rule.freq == ICAL_DAILY_RECURRENCE    ? interval
           : rule.freq == ICAL_WEEKLY_RECURRENCE ? 7 * interval
                                                 : 0;
}

void expand(const Event& e, const QSet<QString>& overridden, Collector& c)
{
    if (!e.start)
        return;
    const icaltimetype wall = icalproperty_get_dtstart(e.start);
    if (icaltime_is_null_time(wall) || !icaltime_is_valid_time(wall))
        return;
    icalcomponent* const event = e.component;
    const bool isOverride = e.recurrenceId != nullptr;
    icalproperty* rrule = isOverride ? nullptr : e.rule;
    const bool hasRdates = !isOverride && e.hasRdates;
    const qint64 spanDays = wallSpanDays(e, wall);
    const QDate lastWall = wallDate(wall).addDays(spanDays);
    const bool startsInTime = wallDate(wall) <= c.lastDay().addDays(wallMarginDays);
    const auto endsInTime = [&](QDate last) {
        return !last.isValid() || last >= c.firstDay().addDays(-wallMarginDays);
    };
    std::optional<icalrecurrencetype> rule;
    if (rrule && startsInTime) {
        rule = icalproperty_get_rrule(rrule);
        const QDate lastStart = lastWallDay(*rule, wall);
        if (!endsInTime(lastStart.isValid() ? lastStart.addDays(spanDays) : lastStart))
            rule.reset();
    }
    const bool single = !rrule && startsInTime && endsInTime(lastWall);
    if ((!single && !rule && !hasRdates) ||
        icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED)
        return;

    icaltimetype dtstart = icalcomponent_get_dtstart(event);
    const icaltimezone* zone = icaltime_get_timezone(dtstart);
    int days = 1;
    qint64 seconds = 0;
    lengthOf(event, dtstart, c, days, seconds);
    const QString summary =
        CalendarText::oneLine(QString::fromUtf8(icalcomponent_get_summary(event)));
    const char* uid = icalcomponent_get_uid(event);
    QHash<int, int> perMonth;
    auto instance = [&](icaltimetype t) {
        if (isOverride || ((overridden.isEmpty() || !overridden.contains(instanceKey(uid, t, c))) &&
                           !icalproperty_recurrence_is_excluded(event, &dtstart, &t)))
            c.add(t, days, seconds, summary, perMonth);
    };

    if (single) {
        instance(dtstart);
    } else if (const int step = rule ? plainStepDays(*rule) : 0) {
        // From the first step that may reach the span, until past it.
        const qint64 ahead = wallDate(dtstart).daysTo(c.firstDay()) - spanDays - wallMarginDays;
        for (qint64 k = std::max<qint64>(ahead / step, 0); rule->count <= 0 || k < rule->count;
             ++k) {
            icaltimetype t = dtstart;
            icaltime_adjust(&t, int(k * step), 0, 0, 0);
            if (c.pastEnd(t))
                break;
            instance(t);
        }
    } else if (rule) {
        std::unique_ptr<icalrecur_iterator, decltype(&icalrecur_iterator_free)> it(
            icalrecur_iterator_new(*rule, dtstart), icalrecur_iterator_free);
        // Straight to the span, where the rule allows it (not with COUNT). A date or a
        // floating time is placed by the day, whatever the offset.
        const bool exact = zone && !icaltime_is_date(dtstart);
        const qint64 from = c.windowStart() - seconds - (exact ? 0 : 86400 * qint64(days + 1));
        if (it && rule->count == 0 && from > c.epoch(dtstart)) {
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
    if (!hasRdates)
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
    const QByteArray slice = CalendarSlice::near(text, from, to);
    icalcomponent* root = icalparser_parse_string(slice.constData());
    if (!root)
        return {{}, QStringLiteral("the file is not an iCalendar file")};
    const Tree tree{root};
    const QList<Event> events = eventsOf(root);
    if (events.isEmpty() && icalcomponent_isa(root) != ICAL_VCALENDAR_COMPONENT &&
        icalcomponent_isa(root) != ICAL_XROOT_COMPONENT)
        return {{}, QStringLiteral("the file is not an iCalendar file")};
    if (events.size() > CalendarText::maxEvents)
        return {{},
                QStringLiteral("the file has more than %1 events").arg(CalendarText::maxEvents)};

    Collector collector(from, to, local);
    QSet<QString> overridden;
    for (const Event& e : events) {
        if (e.recurrenceId)
            overridden.insert(instanceKey(
                icalcomponent_get_uid(e.component),
                icalproperty_get_datetime_with_component(e.recurrenceId, e.component), collector));
    }
    for (const Event& e : events)
        expand(e, overridden, collector);
    return {collector.take(), {}};
}
