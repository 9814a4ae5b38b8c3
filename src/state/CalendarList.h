// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The calendars whose days the grid marks, one a line of Calendars.dat: the kind, the
// name and where it comes from (a local file's absolute path, or an address), separated
// by tabs. Addresses often carry secrets, so the file is readable by its owner alone.
namespace CalendarList {

enum class Kind { Events, Holidays };

struct Entry
{
    Kind kind = Kind::Events;
    QString name;
    QString source; // an absolute path, or an http, https, webcal or webcals address

    bool isAddress() const { return !source.startsWith(u'/'); }
    bool operator==(const Entry&) const = default;
};

QString kindName(Kind kind);

// A name fit for one field of a line: tabs and line ends become spaces.
QString cleanName(const QString& name);

// A source we can read: an absolute path, or an address of one of the four schemes
// with a host.
bool isSource(const QString& source);

// The entries of the file; lines that are not one are skipped (and logged).
QList<Entry> read(const QString& path);
bool write(const QString& path, const QList<Entry>& entries, QString* error = nullptr);

// The name of a subscription's last good copy in the copies folder: a hash of its
// address, so that renaming or reordering the list keeps it.
QString copyName(const QString& address);

// An address as logs and the dialog may show it: without user, password or query.
QString shown(const QString& source);

} // namespace CalendarList
