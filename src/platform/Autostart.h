// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Starting at login, the XDG way: a desktop entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart/artcal.desktop) that every desktop reads.
namespace platform::Autostart {

QString entryPath();
bool isEnabled();
// Writes the entry (atomically) to start `program` with `arguments`; TryExec makes a
// desktop skip it once the program is gone. A word holding a line break or another
// control character (a tab aside) cannot be written so that every reader reads it
// back: such an entry is refused, and an entry already there is left as it was.
bool enable(const QString& program, const QStringList& arguments, QString* error = nullptr);
bool disable(QString* error = nullptr);

// The Exec key's value as the entry holds it: each word quoted as the Exec key quotes,
// where it needs it, then the whole escaped as a string value is. Read back by the
// desktop entry rules (string escapes first, then the Exec quoting), it gives exactly
// `program` and `arguments`. Empty when a word holds a character no entry can carry.
QString execLine(const QString& program, const QStringList& arguments);

} // namespace platform::Autostart
