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
// desktop skip it once the program is gone.
bool enable(const QString& program, const QStringList& arguments, QString* error = nullptr);
bool disable();

// The Exec line's value: each word quoted as desktop entries quote, where it needs it.
QString execLine(const QString& program, const QStringList& arguments);

} // namespace platform::Autostart
