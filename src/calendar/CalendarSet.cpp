// SPDX-License-Identifier: GPL-3.0-or-later
#include "calendar/CalendarSet.h"

#include "calendar/CalendarReader.h"
#include "calendar/CalendarText.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/FreeMemory.h"
#include "platform/Logging.h"
#include "platform/Module.h"
#include "state/StateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {
Occurrences readText(CalendarReader& reader, const QByteArray& text, QDate from, QDate to)
{
    Occurrences result = reader.read(text, from, to, QTimeZone::systemTimeZone());
    platform::giveBackFreeMemory(); // the parser's tree is gone
    return result;
}

QByteArray fileText(const QString& path, QString* error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the file");
        return {};
    }
    return file.read(CalendarText::maxBytes + 1);
}
} // namespace

CalendarSet::CalendarSet(const QString& stateDir, QObject* parent)
    : QObject(parent), m_stateDir(stateDir)
{
}

CalendarSet::~CalendarSet()
{
    m_worker.quit();
    m_worker.wait();
    delete m_workerContext;
}

void CalendarSet::load()
{
    m_entries = CalendarList::read(StateFiles::in(m_stateDir, StateFiles::calendars));
    for (const Entry& e : std::as_const(m_entries))
        read(e);
}

bool CalendarSet::setEntries(const QList<Entry>& entries, QString* error)
{
    if (!CalendarList::write(StateFiles::in(m_stateDir, StateFiles::calendars), entries, error))
        return false;
    const QList<Entry> before = std::exchange(m_entries, entries);
    for (const Entry& e : before) {
        if (!std::any_of(entries.begin(), entries.end(),
                         [&e](const Entry& now) { return now.source == e.source; })) {
            m_occurrences.remove(e.source);
            m_status.remove(e.source);
        }
    }
    for (const Entry& e : entries) {
        if (!before.contains(e))
            read(e);
    }
    rebuildDays();
    emit statusChanged();
    return true;
}

void CalendarSet::replaceCopy(const QString& source, const QByteArray& text,
                              std::function<void(const QString& problem)> done)
{
    const Entry entry{CalendarList::Kind::Events, {}, source};
    const QString folder = StateFiles::in(m_stateDir, StateFiles::calendarCopies);
    onWorker([this, source, text, copy = fileOf(entry), folder, from = m_from, to = m_to,
              done = std::move(done)] {
        Occurrences result = read(text, from, to);
        QString error;
        // The copies may hold what only the subscriber may read.
        if (result.error.isEmpty() &&
            (!QDir().mkpath(folder) ||
             !QFile::setPermissions(folder,
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
             !platform::AtomicFile::write(copy, text, &error,
                                          platform::AtomicFile::Access::Private)))
            result = {{}, QStringLiteral("cannot keep a copy: %1").arg(error)};
        QMetaObject::invokeMethod(
            this,
            [this, source, from, to, result, done] {
                apply(source, from, to, result);
                done(result.error);
            },
            Qt::QueuedConnection);
    });
}

void CalendarSet::setStatus(const QString& source, const Status& status)
{
    m_status[source] = status;
    emit statusChanged();
}

QString CalendarSet::fileOf(const Entry& entry) const
{
    if (!entry.isAddress())
        return entry.source;
    return StateFiles::in(m_stateDir, StateFiles::calendarCopies) + u'/' +
           CalendarList::copyName(entry.source);
}

void CalendarSet::showMonth(int year, int month)
{
    const QDate shown(year, month, 1);
    const QDate from = shown.addMonths(-1);
    const QDate to = shown.addMonths(2).addDays(-1);
    if (from == m_from && to == m_to)
        return;
    m_from = from;
    m_to = to;
    for (const Entry& e : std::as_const(m_entries))
        read(e);
}

void CalendarSet::read(const Entry& entry)
{
    if (!m_from.isValid())
        return; // no month shown yet
    const QString path = fileOf(entry);
    if (entry.isAddress() && !QFileInfo::exists(path))
        return; // not fetched yet
    onWorker([this, source = entry.source, path, from = m_from, to = m_to] {
        QString error;
        const QByteArray text = fileText(path, &error);
        const Occurrences result = error.isEmpty() ? read(text, from, to) : Occurrences{{}, error};
        QMetaObject::invokeMethod(
            this, [this, source, from, to, result] { apply(source, from, to, result); },
            Qt::QueuedConnection);
    });
}

Occurrences CalendarSet::read(const QByteArray& text, QDate from, QDate to)
{
    // Tried again by every read until it loads, so that a module put back is used.
    if (!m_reader) {
        QString error;
        QObject* module =
            platform::Module::load(QStringLiteral(ARTCAL_CALENDAR_MODULE),
                                   ARTCAL_CALENDAR_READER_IID, platform::Module::folders(), &error);
        m_reader = qobject_cast<CalendarReader*>(module);
        if (!m_reader)
            return {{}, QStringLiteral("cannot read calendars: %1").arg(error)};
        // The module's object outlives this thread.
        if (module->thread() == QThread::currentThread() && QCoreApplication::instance())
            module->moveToThread(QCoreApplication::instance()->thread());
    }
    return readText(*m_reader, text, from, to);
}

void CalendarSet::onWorker(std::function<void()> job)
{
    if (!m_workerContext) {
        m_workerContext = new QObject;
        m_workerContext->moveToThread(&m_worker);
        m_worker.setObjectName(QStringLiteral("calendars"));
        m_worker.start(QThread::LowPriority);
    }
    QMetaObject::invokeMethod(m_workerContext, std::move(job));
}

void CalendarSet::apply(const QString& source, QDate from, QDate to, const Occurrences& result)
{
    if (from != m_from || to != m_to)
        return; // a later read of the months now shown is on its way
    Status& status = m_status[source];
    status.read = platform::clock().now();
    if (!result.error.isEmpty()) {
        qCWarning(lcState).noquote()
            << "calendar" << CalendarList::shown(source) << "not read:" << result.error;
        status.problem = result.error;
        emit statusChanged();
        return;
    }
    status.problem.clear();
    m_occurrences[source] = result.items;
    rebuildDays();
    emit statusChanged();
}

void CalendarSet::rebuildDays()
{
    m_days.clear();
    for (const Entry& e : std::as_const(m_entries)) {
        const bool holiday = e.kind == CalendarList::Kind::Holidays;
        for (const Occurrence& o : m_occurrences.value(e.source)) {
            for (QDate d = std::max(o.first, m_from); d <= o.last && d <= m_to; d = d.addDays(1))
                m_days[d] << Line{holiday, d == o.first ? o.start : QTime(), o.summary};
        }
    }
    for (QList<Line>& lines : m_days)
        std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
            return std::pair(!a.holiday, a.start) < std::pair(!b.holiday, b.start);
        });
    emit marksChanged();
}

DayNotes CalendarSet::notesOn(const QDate& day) const
{
    DayNotes notes;
    QString timeFormat; // asked of the locale for a day with a timed event only
    for (const Line& line : m_days.value(day)) {
        if (line.holiday) {
            notes.holidays << line.text;
        } else if (line.start.isNull()) {
            notes.events << line.text;
        } else {
            if (timeFormat.isEmpty())
                timeFormat = CalendarText::shortTimeFormat(QLocale());
            notes.events << line.start.toString(timeFormat) + u' ' + line.text;
        }
    }
    return notes;
}
