// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/PictureCredits.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const std::array<PictureCredits::Field, 7> PictureCredits::fields = {{
    {&PictureCredits::title, "Title"_L1, "title"_L1},
    {&PictureCredits::creator, "Creator"_L1, "creator"_L1},
    {&PictureCredits::date, "Date"_L1, "date"_L1},
    {&PictureCredits::licence, "Licence"_L1, "licence"_L1},
    {&PictureCredits::licenceUrl, "LicenceUrl"_L1, "licenceUrl"_L1},
    {&PictureCredits::source, "Source"_L1, "source"_L1},
    {&PictureCredits::credit, "Credit"_L1, "credit"_L1},
}};

QString PictureCredits::clean(QStringView value)
{
    // Through UTF-8 and back: a lone surrogate (a JSON "\ud800" escape) becomes a
    // character that survives the trip to the widget, so every reader sees one value.
    QString text = QString::fromUtf8(value.toUtf8());
    for (QChar& c : text) {
        // Unicode's line and paragraph separators end a line for some readers too.
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return utf8Prefix(text.trimmed(), maxValueBytes).trimmed();
}

QString PictureCredits::utf8Prefix(QStringView text, qsizetype maxBytes)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= maxBytes)
        return text.toString();
    qsizetype end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end; // utf8[end] starts the first character that does not fit
    return QString::fromUtf8(utf8.left(end));
}

bool PictureCredits::set(QStringView lineKey, QStringView value)
{
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [&](const Field& f) { return f.lineKey == lineKey; });
    if (field == fields.end())
        return false;
    this->*field->value = clean(value);
    return true;
}

bool PictureCredits::isEmpty() const
{
    return std::all_of(fields.begin(), fields.end(),
                       [this](const Field& f) { return (this->*f.value).isEmpty(); });
}

QStringList PictureCredits::toLines() const
{
    QStringList lines;
    for (const Field& f : fields) {
        const QString value = clean(this->*f.value);
        if (!value.isEmpty())
            lines << f.lineKey + u": "_s + value;
    }
    return lines;
}

PictureCredits PictureCredits::fromLines(const QStringList& lines)
{
    PictureCredits credits;
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(u": "_s);
        if (colon > 0)
            credits.set(QStringView(line).left(colon), QStringView(line).mid(colon + 2));
    }
    return credits;
}

QJsonObject PictureCredits::toJson() const
{
    QJsonObject json;
    for (const Field& f : fields) {
        const QString value = clean(this->*f.value);
        if (!value.isEmpty())
            json.insert(f.jsonKey, value);
    }
    return json;
}

PictureCredits PictureCredits::fromJson(const QJsonObject& json)
{
    PictureCredits credits;
    for (const Field& f : fields)
        credits.*f.value = clean(json.value(f.jsonKey).toString());
    return credits;
}
