// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/CalendarSlice.h"

#include <QList>

#include <algorithm>

namespace CalendarSlice {
namespace {

bool startsWith(QByteArrayView line, QByteArrayView prefix)
{
    return line.size() >= prefix.size() &&
           qstrnicmp(line.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}

bool isNamed(QByteArrayView name, QByteArrayView wanted)
{
    return name.size() == wanted.size() && startsWith(name, wanted);
}

// One content line, its folded continuations joined, and where it lies in the text.
class Lines
{
public:
    explicit Lines(const QByteArray& text) : m_text(text) {}

    // The next line, false at the end of the text.
    bool next()
    {
        if (m_next >= m_text.size())
            return false;
        begin = m_next;
        m_joined.clear();
        QByteArrayView line = physical();
        while (m_next < m_text.size() && (m_text[m_next] == ' ' || m_text[m_next] == '\t')) {
            if (m_joined.isEmpty())
                m_joined = line.toByteArray();
            m_joined += physical().sliced(1);
        }
        content = m_joined.isEmpty() ? line : QByteArrayView(m_joined);
        if (begin == 0 && content.startsWith("\xEF\xBB\xBF"))
            content = content.sliced(3);
        return true;
    }
    qsizetype end() const { return m_next; }

    qsizetype begin = 0;
    QByteArrayView content;

private:
    // The line from m_next without its line end; m_next moves past it.
    QByteArrayView physical()
    {
        const qsizetype start = m_next;
        qsizetype stop = m_text.indexOf('\n', start);
        m_next = stop < 0 ? m_text.size() : stop + 1;
        stop = stop < 0 ? m_text.size() : stop;
        if (stop > start && m_text[stop - 1] == '\r')
            --stop;
        return QByteArrayView(m_text).sliced(start, stop - start);
    }

    const QByteArray& m_text;
    qsizetype m_next = 0;
    QByteArray m_joined;
};

// "NAME;PARAM=...:VALUE": the value starts after the first colon outside quotes.
QByteArrayView valueOf(QByteArrayView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return line.sliced(i + 1);
    }
    return {};
}

QByteArrayView nameOf(QByteArrayView line)
{
    const auto end =
        std::find_if(line.begin(), line.end(), [](char c) { return c == ';' || c == ':'; });
    return line.first(end - line.begin());
}

// The date a DATE or DATE-TIME value names on its own wall clock.
QDate dateOf(QByteArrayView value)
{
    if (value.size() < 8 ||
        !std::all_of(value.begin(), value.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const auto number = [&](qsizetype at, qsizetype digits) {
        return value.sliced(at, digits).toInt();
    };
    return QDate(number(0, 4), number(4, 2), number(6, 2));
}

// The whole days past its start an ISO duration ("PT1H", "P2DT3H", "P1W") may reach;
// -1 when it cannot be read here.
qint64 durationDays(QByteArrayView value)
{
    constexpr qint64 longest = qint64(1) << 40; // seconds: far past any span
    qsizetype i = 0;
    const bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    if (i >= value.size() || (value[i] != 'P' && value[i] != 'p'))
        return -1;
    qint64 seconds = 0;
    for (++i; i < value.size();) {
        if (value[i] == 'T' || value[i] == 't') {
            ++i;
            continue;
        }
        qint64 n = 0;
        const qsizetype digits = i;
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9' && i - digits < 12; ++i)
            n = n * 10 + (value[i] - '0');
        if (i == digits || i >= value.size())
            return -1;
        switch (value[i++] | 0x20) {
        case 'w':
            n *= 7 * 86400;
            break;
        case 'd':
            n *= 86400;
            break;
        case 'h':
            n *= 3600;
            break;
        case 'm':
            n *= 60;
            break;
        case 's':
            break;
        default:
            return -1;
        }
        seconds = std::min(seconds + n, longest);
    }
    return negative ? 0 : seconds / 86400 + 1;
}

// What an event's own lines say of when it happens.
struct EventTimes
{
    QDate start;
    QDate last; // its DTEND's day, or its start plus its DURATION
    int starts = 0, ends = 0;
    bool keep = false; // repeats, stands in for an instance, or a time it cannot read

    void note(QByteArrayView line)
    {
        const QByteArrayView name = nameOf(line);
        if (isNamed(name, "DTSTART")) {
            ++starts;
            start = dateOf(valueOf(line));
        } else if (isNamed(name, "DTEND")) {
            ++ends;
            last = dateOf(valueOf(line));
            keep |= !last.isValid();
        } else if (isNamed(name, "DURATION")) {
            ++ends;
            const qint64 days = durationDays(valueOf(line));
            keep |= days < 0;
            if (start.isValid() && days >= 0)
                last = start.addDays(days);
            else
                keep = true; // a duration before the start: placed by it, unknown yet
        } else if (isNamed(name, "RRULE") || isNamed(name, "RDATE") || isNamed(name, "EXRULE") ||
                   isNamed(name, "RECURRENCE-ID")) {
            keep = true;
        }
    }

    bool farFrom(QDate from, QDate to) const
    {
        if (keep || starts != 1 || ends > 1 || !start.isValid())
            return false;
        const QDate until = std::max(start.addDays(1), last.isValid() ? last : start);
        return start > to.addDays(marginDays) || until < from.addDays(-marginDays);
    }
};

QByteArray componentName(QByteArrayView rest)
{
    return rest.trimmed().toByteArray().toUpper();
}

} // namespace

QByteArray near(const QByteArray& text, QDate from, QDate to)
{
    QByteArray kept;
    qsizetype copiedTo = 0; // text before this is in `kept`, or dropped
    QList<QByteArray> open; // the components the line is in, outermost first
    qsizetype eventBegin = -1;
    EventTimes event;
    Lines lines(text);
    while (lines.next()) {
        const QByteArrayView line = lines.content;
        if (startsWith(line, "BEGIN:")) {
            open << componentName(line.sliced(6));
            if (open.size() == 2 && open.last() == "VEVENT") {
                eventBegin = lines.begin;
                event = {};
            } else if (eventBegin >= 0 && open.last() != "VALARM") {
                event.keep = true; // it holds more than its alarms: a time zone, say
            }
        } else if (startsWith(line, "END:")) {
            // Components that do not nest go to the parser whole, to make of them what it can.
            if (open.isEmpty() || open.takeLast() != componentName(line.sliced(4)))
                return text;
            if (open.size() == 1 && eventBegin >= 0) {
                if (event.farFrom(from, to)) {
                    kept += QByteArrayView(text).sliced(copiedTo, eventBegin - copiedTo);
                    copiedTo = lines.end();
                }
                eventBegin = -1;
            }
        } else if (eventBegin >= 0 && open.size() == 2) {
            event.note(line);
        }
    }
    if (!open.isEmpty() || copiedTo == 0)
        return text;
    return kept.append(QByteArrayView(text).sliced(copiedTo));
}

} // namespace CalendarSlice
