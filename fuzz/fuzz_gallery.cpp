// SPDX-License-Identifier: GPL-3.0-or-later
// Gallery files and every other state file as the readers take them: lines split at
// CR LF, LF or a lone CR, decoded as UTF-8, and the first four of them as a record, the
// rest as its credits.
#include "FuzzSupport.h"

#include "gallery/GalleryFolder.h"
#include "state/TextLines.h"

namespace {

QByteArray withLfEnds(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n").replace('\r', '\n');
}

void checkSplit(const QByteArray& bytes, size_t cut)
{
    const QStringList lines = TextLines::split(bytes);
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
    // The kind of line end makes no difference.
    const QByteArray lf = withLfEnds(bytes);
    FUZZ_CHECK(TextLines::split(lf) == lines);
    // Valid text comes through whole; only a byte order mark starting the file is dropped.
    if (FuzzSupport::isValidUtf8(bytes)) {
        QString text = QString::fromUtf8(lf);
        if (text.endsWith(u'\n'))
            text.chop(1);
        FUZZ_CHECK(lines.join(u'\n') == text);
    }
    // A file is its lines one after the other: splitting at a line end splits the list.
    const qsizetype end = lf.indexOf('\n', qsizetype(cut % size_t(lf.size() + 1)));
    // (The rest decoded on its own would lose a byte order mark that starts it.)
    if (end >= 0 && !lf.mid(end + 1).startsWith("\xef\xbb\xbf")) {
        const QStringList head = TextLines::split(lf.left(end + 1));
        const QStringList tail = TextLines::split(lf.mid(end + 1));
        FUZZ_CHECK(head + tail == lines);
    }
}

void checkFiles(const QByteArray& bytes)
{
    const QStringList lines = TextLines::split(bytes);
    const QString path = FuzzSupport::scratchPath(QStringLiteral("1234.jpg.data"));

    FuzzSupport::writeFile(path, bytes);
    const std::optional<PictureRecord> record = GalleryFolder::readRecord(path);
    FUZZ_CHECK(record &&
               record->toLines().mid(0, 4) ==
                   QStringList({lines.value(0), lines.value(1), lines.value(2), lines.value(3)}));
    FUZZ_CHECK(record->credits == PictureCredits::fromLines(lines.mid(4)));

    // What the widget writes, it reads back line for line, every line ended by CR LF;
    // only a byte order mark starting the file is taken for one and dropped.
    FUZZ_CHECK(TextLines::write(path, lines));
    QByteArray expected;
    QStringList reread;
    for (const QString& line : lines) {
        expected += line.toUtf8() + "\r\n";
        reread << (reread.isEmpty() && line.startsWith(QChar::ByteOrderMark) ? line.mid(1) : line);
    }
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly) && file.readAll() == expected);
    FUZZ_CHECK(TextLines::read(path) == reread);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    checkSplit(bytes, size > 0 ? data[0] * 31u + size : 0);
    checkFiles(bytes);
    return 0;
}
