// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calendar/DayNotes.h"
#include "calendar/Occurrences.h"
#include "state/CalendarList.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QThread>

#include <functional>

class CalendarReader;

// The user's calendars (Calendars.dat) and what they say of the months around the one
// shown. Files are read, parsed and expanded on one worker thread, one calendar at a
// time, and only the occurrences of those months are kept. A calendar that cannot be
// read keeps the marks it had and says why.
class CalendarSet : public QObject
{
    Q_OBJECT
public:
    using Entry = CalendarList::Entry;

    // How a calendar fared the last time it was read or fetched.
    struct Status
    {
        QString problem;       // empty when it was read
        QDateTime refreshed;   // the last good fetch of a subscription
        QDateTime read;        // the last read of its text, good or not
        bool encrypted = true; // a webcal address that fell back to plain http is not
    };

    explicit CalendarSet(const QString& stateDir, QObject* parent = nullptr);
    ~CalendarSet() override;

    QString stateDir() const { return m_stateDir; }
    const QList<Entry>& entries() const { return m_entries; }
    Status status(const QString& source) const { return m_status.value(source); }
    void setStatus(const QString& source, const Status& status);

    // Reads Calendars.dat and then each calendar.
    void load();
    // Changes the list and keeps it in Calendars.dat; on failure nothing changes.
    bool setEntries(const QList<Entry>& entries, QString* error = nullptr);
    // A subscription's new text, read on the worker and kept as its copy only when it
    // is a whole calendar; the marks then follow it. `done` gets the problem, or empty.
    void replaceCopy(const QString& source, const QByteArray& text,
                     std::function<void(const QString& problem)> done);

    // The month shown: it and its neighbours are read.
    void showMonth(int year, int month);
    DayNotes notesOn(const QDate& day) const;

    // Where a calendar's text is read from: the file itself, or a subscription's copy.
    QString fileOf(const Entry& entry) const;

signals:
    void marksChanged();
    void statusChanged();

private:
    struct Line
    {
        bool holiday;
        QTime start; // null: all day, or not the day it began
        QString text;
    };

    void read(const Entry& entry);
    // On the worker: the occurrences of `text`, read by the calendar module.
    Occurrences read(const QByteArray& text, QDate from, QDate to);
    // Runs `job` on the worker, started for the first.
    void onWorker(std::function<void()> job);
    void apply(const QString& source, QDate from, QDate to, const Occurrences& result);
    void rebuildDays();

    QString m_stateDir;
    QList<Entry> m_entries;
    QHash<QString, QList<Occurrence>> m_occurrences; // by source
    QHash<QString, Status> m_status;                 // by source
    QMap<QDate, QList<Line>> m_days;                 // the notes of the days read
    QDate m_from, m_to;                              // the days read
    QThread m_worker; // started after the first calendar read is asked for
    QObject* m_workerContext = nullptr;
    CalendarReader* m_reader = nullptr; // the worker's, loaded with its first read
};
