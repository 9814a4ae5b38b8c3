// SPDX-License-Identifier: GPL-3.0-or-later
// Settings.dat as start-up reads it: any bytes give choices within their lists, and a
// number the widget writes reads back as that number. The server's category list as
// the widget takes it: only names that come back the same from Categories.dat, and a
// choice that keeps its name when the list changes.
#include "FuzzSupport.h"

#include "settings/CategoryList.h"
#include "settings/SettingsFile.h"
#include "state/TextLines.h"

#include <limits>

namespace {

// Combo1's five intervals; Combo2's "All", "My Gallery" and five categories.
constexpr int intervalCount = 5;
constexpr int categoryCount = 7;

bool onlyNumberCharacters(const QString& line)
{
    for (const QChar c : line) {
        if (c != u' ' && c != u'+' && c != u'-' && (c < u'0' || c > u'9'))
            return false;
    }
    return true;
}

// The rule load() promises: the line's number when it is within the list, else the
// default.
int expectedChoice(const QStringList& lines, qsizetype i, int count, int fallback)
{
    const std::optional<int> value =
        i < lines.size() ? SettingsFile::parseLine(lines[i]) : std::nullopt;
    return value && *value >= -1 && *value < count ? *value : fallback;
}

void checkLine(const QString& line)
{
    const std::optional<int> value = SettingsFile::parseLine(line);
    FUZZ_CHECK(SettingsFile::parseLine(" " + line + "  ") == value);
    if (!value)
        return;
    FUZZ_CHECK(onlyNumberCharacters(line));
    FUZZ_CHECK(*value >= std::numeric_limits<qint16>::min());
    FUZZ_CHECK(*value <= std::numeric_limits<qint16>::max());
    FUZZ_CHECK(SettingsFile::parseLine(SettingsFile::formatLine(*value)) == value);
}

void checkFormat(qint16 number)
{
    const QString line = SettingsFile::formatLine(number);
    FUZZ_CHECK(line.endsWith(u' ') && !line.endsWith(u"  "));
    FUZZ_CHECK(line.startsWith(number < 0 ? u'-' : u' '));
    FUZZ_CHECK(SettingsFile::parseLine(line) == number);
}

// What the settings panel writes, load reads back: every pair of choices, once.
void checkSavedChoices()
{
    const QString path = FuzzSupport::scratchPath(QStringLiteral("Saved.dat"));
    for (int interval = -1; interval < intervalCount; ++interval) {
        for (int category = -1; category < categoryCount; ++category) {
            FUZZ_CHECK(SettingsFile::save(path, {interval, category}));
            const SettingsFile::Choices read =
                SettingsFile::load(path, intervalCount, categoryCount);
            FUZZ_CHECK(read.interval == interval && read.category == category);
        }
    }
}

// The input as a categories answer, typed by its first byte.
void checkCategories(const QByteArray& bytes)
{
    static const QByteArray types[] = {"text/plain; charset=utf-8", "", "text/html",
                                       "application/octet-stream"};
    const QByteArray type = bytes.isEmpty() ? QByteArray() : types[uchar(bytes[0]) % 4];
    const QByteArray body = bytes.mid(1);
    const std::optional<QStringList> names = CategoryList::fromAnswer(body, type);
    if (!names)
        return;
    FUZZ_CHECK(!type.startsWith("text/html") && body.size() <= CategoryList::maxBytes);
    FUZZ_CHECK(!names->isEmpty() && FuzzSupport::isValidUtf8(body));
    for (const QString& name : *names) {
        FUZZ_CHECK(!name.trimmed().isEmpty() && name.size() <= CategoryList::maxNameLength);
        FUZZ_CHECK(names->count(name) == 1);
    }
    const QString path = FuzzSupport::scratchPath(QStringLiteral("Categories.dat"));
    FUZZ_CHECK(TextLines::write(path, *names));
    FUZZ_CHECK(TextLines::read(path) == names);

    // The first lines as the list before, the answer's as the list after.
    const QStringList before = TextLines::split(bytes).mid(0, 4);
    for (int index = -1; index < CategoryList::firstNamePlace + before.size(); ++index) {
        const std::optional<int> kept = CategoryList::keepChoice(index, before, *names);
        if (index < CategoryList::firstNamePlace)
            FUZZ_CHECK(kept == index);
        else if (kept)
            FUZZ_CHECK(names->value(*kept - CategoryList::firstNamePlace) ==
                       before[index - CategoryList::firstNamePlace]);
        else
            FUZZ_CHECK(!names->contains(before[index - CategoryList::firstNamePlace]));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::quietLogs();
    checkSavedChoices();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const QStringList lines = TextLines::split(bytes);
    for (const QString& line : lines)
        checkLine(line);
    if (size >= 2)
        checkFormat(qint16(data[0] | data[1] << 8));
    checkCategories(bytes);

    // The real reader, from a real file: it must see the same lines as the split.
    const QString path = FuzzSupport::scratchPath(QStringLiteral("Settings.dat"));
    FuzzSupport::writeFile(path, bytes);
    const SettingsFile::Choices choices = SettingsFile::load(path, intervalCount, categoryCount);
    const SettingsFile::Choices defaults;
    FUZZ_CHECK(choices.interval >= -1 && choices.interval < intervalCount);
    FUZZ_CHECK(choices.category >= -1 && choices.category < categoryCount);
    FUZZ_CHECK(choices.interval == expectedChoice(lines, 0, intervalCount, defaults.interval));
    FUZZ_CHECK(choices.category == expectedChoice(lines, 1, categoryCount, defaults.category));
    return 0;
}
