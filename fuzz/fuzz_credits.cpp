// SPDX-License-Identifier: GPL-3.0-or-later
// Credits from outside input: a sidecar's bytes and the text of a file's metadata
// fields, merged, cleaned and sent as record lines. Whatever they hold, every credit is
// one clean line, the record keeps its four lines within the first 1000 bytes, and the
// lines read back as the same credits.
#include "FuzzSupport.h"

#include "CreditSources.h"
#include "Picture.h"
#include "RecordAnswer.h"

namespace {

using namespace server;

bool isClean(const QString& value)
{
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    }
    return value == value.trimmed() && value.toUtf8().size() <= PictureCredits::maxValueBytes;
}

} // namespace

// The input: the sidecar, then a value for each metadata key in turn, the last part
// also the picture's category; separated by NUL bytes. Odd parts are read as Latin-1.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::quietLogs();
    const QList<QByteArray> parts = FuzzSupport::bytes(data, size).split('\0');
    QString problem;
    const QJsonObject sidecar =
        CreditSources::sidecarObject(parts[0], &problem).value_or(QJsonObject());
    FUZZ_CHECK(parts[0].size() <= CreditSources::maxSidecarBytes || !problem.isEmpty());
    MetadataText metadata;
    const QStringList keys = CreditSources::metadataKeys();
    for (qsizetype i = 1; i < parts.size() && i <= keys.size(); ++i)
        metadata.insert(keys[i - 1],
                        i % 2 ? QString::fromLatin1(parts[i]) : QString::fromUtf8(parts[i]));
    const PictureCredits credits = CreditSources::merged(sidecar, metadata);
    for (const PictureCredits::Field& field : PictureCredits::fields)
        FUZZ_CHECK(isClean(credits.*field.value));
    const QString ccName = CreditSources::creativeCommonsName(metadata.value("Xmp.cc.license"));
    FUZZ_CHECK(ccName.isEmpty() || ccName.startsWith("CC") || ccName.startsWith("Public Domain"));

    const Picture picture{42, QString::fromUtf8(parts.last()), "c/p.jpg", "/l/c/p.jpg", "jpg"};
    const QByteArray answer = recordAnswer("http://127.0.0.1:8642", &picture, credits);
    const QStringList lines = QString::fromUtf8(answer).split('\n');
    FUZZ_CHECK(answer.left(1000).count('\n') >= 3 || answer.count('\n') < 3);
    FUZZ_CHECK(lines.size() == 4 + credits.toLines().size() && lines.mid(4) == credits.toLines());
    FUZZ_CHECK(PictureCredits::fromLines(lines.mid(4)) == credits);
    return 0;
}
