// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The pictures installed before, newest last, with a cursor on the one shown: one
// JSON object a line in the history file (a cut or damaged line is skipped), and copies
// of the last pictures in the copies folder, so that going back works while the
// server is down. The history deletes only copies it made: a copies folder that is a link,
// or holds files of any other name, is left alone and no copies are kept. Kept: every picture of
// the last 7 days, each older day's last picture for two years; at most 50 copies or 30 MB of them,
// the oldest dropped first.
class PictureHistory
{
public:
    struct Entry
    {
        QDateTime at; // local time of the install
        PictureRecord record;
        QString copy; // file name in the copies' folder; empty once dropped
    };

    static constexpr int maxCopies = 50;
    static constexpr qint64 maxCopyBytes = 30 * 1024 * 1024;
    static constexpr qint64 maxFileBytes = 1024 * 1024;
    static constexpr int everyPictureDays = 7;
    static constexpr int keptYears = 2;

    // Reads the history of `stateDir`; a missing one is empty. One that cannot be read
    // at all is set aside under its name and ".unreadable" (replacing an older one) and the
    // history starts empty; the copies stay in place as long as that file is kept.
    explicit PictureHistory(const QString& stateDir);

    const QList<Entry>& entries() const { return m_entries; }
    // The entry shown, -1 when none is.
    int cursor() const { return m_cursor; }

    // A new picture, now in `picturePath`, installed at `at`: kept with a copy of the
    // file, and shown. False when the history could not be written.
    bool add(const PictureRecord& record, const QDateTime& at, const QString& picturePath);
    // Another entry is shown.
    void show(int index);
    void clear();

    // The copy of entry `index`, or empty when there is none.
    QString copyPath(int index) const;
    // The last entry of `day`, -1 when the day has none; how many it has.
    int lastOf(const QDate& day) const;
    int countOf(const QDate& day) const;

private:
    // False when the file is there but nothing in it can be read.
    bool load();
    void prune(const QDate& today);
    void dropCopies();
    bool save();

    QString m_file;
    QString m_copies;
    bool m_ownsCopies;
    QList<Entry> m_entries;
    int m_cursor = -1;
};
