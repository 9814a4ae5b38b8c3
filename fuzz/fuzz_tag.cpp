// SPDX-License-Identifier: GPL-3.0-or-later
// The picture tag: the record's four fields joined by "!?!", as Image1 carries it and
// the gallery and the picture link read it back.
#include "FuzzSupport.h"

#include "state/PictureRecord.h"
#include "state/TextLines.h"

namespace {

const QString& separator = PictureRecord::tagSeparator;

bool anyFieldHas(const PictureRecord& record, QChar c)
{
    for (const QString& field : record.toLines()) {
        if (field.contains(c))
            return true;
    }
    return false;
}

// Any text read as a tag: the fields never hold a separator, and writing them back
// gives the tag cut before its fourth separator, or the tag with the missing
// separators added.
void checkTag(const QString& tag)
{
    const PictureRecord record = PictureRecord::fromTag(tag);
    for (const QString& field : record.toLines())
        FUZZ_CHECK(!field.contains(separator));
    const QString written = record.toTag();
    if (written.size() >= tag.size()) {
        FUZZ_CHECK(written.startsWith(tag));
        const QString added = written.mid(tag.size());
        FUZZ_CHECK(added.isEmpty() || added == separator || added == separator + separator ||
                   added == separator + separator + separator);
    } else {
        FUZZ_CHECK(tag.startsWith(written + separator));
    }
}

// A record from a file, through the tag and back: the same record, as long as no field
// holds a '!' that could run into a separator.
void checkRecord(const PictureRecord& record)
{
    if (!anyFieldHas(record, u'!'))
        FUZZ_CHECK(PictureRecord::fromTag(record.toTag()) == record);
    FUZZ_CHECK(PictureRecord::fromLines(record.toLines()) == record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    checkTag(QString::fromUtf8(bytes));
    // image.jpg.dat and the gallery files give the record as lines.
    checkRecord(PictureRecord::fromLines(TextLines::split(bytes)));
    return 0;
}
