// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include "platform/Logging.h"

#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <algorithm>
#include <limits>

namespace SettingsFile {

QString formatLine(int index)
{
    return (index >= 0 ? QStringLiteral(" ") : QString()) + QString::number(index) + u' ';
}

std::optional<int> parseLine(const QString& line)
{
    const QString trimmed = TextLines::trimSpaces(line);
    const QStringView number(trimmed);
    // Only an optional sign and digits: no "0x", no fraction, no inner spaces.
    const QStringView digits =
        number.startsWith(u'-') || number.startsWith(u'+') ? number.mid(1) : number;
    if (digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int value = number.toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return value;
}

namespace {
int choose(const QStringList& lines, qsizetype i, int count, int fallback, const char* what)
{
    const std::optional<int> value = i < lines.size() ? parseLine(lines[i]) : std::nullopt;
    if (value && *value >= -1 && *value < count)
        return *value;
    qCWarning(lcState).noquote() << StateFiles::settings + u':' << "no usable" << what << "on line"
                                 << i + 1 << "; using the default";
    return fallback;
}
} // namespace

Choices load(const QString& path, int intervalCount, int categoryCount)
{
    const std::optional<QStringList> lines = TextLines::read(path);
    if (!lines)
        qCWarning(lcState) << "cannot read" << path << "; using the default choices";
    const QStringList l = lines.value_or(QStringList());
    const Choices defaults;
    return {choose(l, 0, intervalCount, defaults.interval, "interval"),
            choose(l, 1, categoryCount, defaults.category, "category")};
}

bool save(const QString& path, const Choices& choices, QString* error)
{
    return TextLines::write(path, {formatLine(choices.interval), formatLine(choices.category)},
                            error);
}

} // namespace SettingsFile
