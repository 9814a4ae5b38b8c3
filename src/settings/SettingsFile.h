// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The settings file: two lines, the selected index of the update interval and of the
// picture category, each as " 3 " (a space before a number that is not negative,
// "-" before a negative one, one trailing space) followed by CR LF. -1 means no
// selection.
namespace SettingsFile {

QString formatLine(int index);
// The number on a line, spaces around it ignored; nothing unless it is a decimal
// integer that fits in 16 bits.
std::optional<int> parseLine(const QString& line);

struct Choices
{
    int interval = 1; // "15 Minutes"
    int category = 0; // "All"
};

// Reads the two choices. A missing file, a missing line, or a line that is not a
// number within its list (-1 .. count - 1) gives that choice its default, with a
// warning in the log.
Choices load(const QString& path, int intervalCount, int categoryCount);

// Writes both choices atomically; on failure the old file is left intact.
bool save(const QString& path, const Choices& choices, QString* error = nullptr);

} // namespace SettingsFile
