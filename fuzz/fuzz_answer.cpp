// SPDX-License-Identifier: GPL-3.0-or-later
// The picture answer as the installer takes it: the body of a record request, cut and
// padded to a fixed width, trimmed, and split into the four fields of a record and its
// credit lines.
#include "FuzzSupport.h"

#include "picture/PictureAnswer.h"
#include "platform/HttpResult.h"

namespace {

qsizetype leadingSpaces(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[n] == u' ')
        ++n;
    return n;
}

void checkTrim(const QString& text)
{
    const QString trimmed = PictureAnswer::trimSpaces(text);
    FUZZ_CHECK(!trimmed.startsWith(u' ') && !trimmed.endsWith(u' '));
    // Only the spaces at the ends go: what is left stands where it stood.
    const qsizetype begin = leadingSpaces(text);
    FUZZ_CHECK(QStringView(text).mid(begin, trimmed.size()) == trimmed);
    const QStringView rest = QStringView(text).mid(begin + trimmed.size());
    FUZZ_CHECK(leadingSpaces(rest.toString()) == rest.size());
}

void checkTransfer(const QByteArray& body)
{
    platform::HttpResult result;
    result.ok = true;
    result.body = body;
    const QString answer = PictureAnswer::fromTransfer(result, true);
    FUZZ_CHECK(answer.size() == PictureAnswer::answerBytes);
    // The padding never changes what a short answer says.
    if (body.size() <= PictureAnswer::answerBytes && FuzzSupport::isValidUtf8(body)) {
        const QString text = QString::fromUtf8(body);
        FUZZ_CHECK(PictureAnswer::trimSpaces(answer) == PictureAnswer::trimSpaces(text));
    }
    // A failed transfer says nothing; an address that cannot be fetched says "-1".
    result.ok = false;
    FUZZ_CHECK(PictureAnswer::fromTransfer(result, true) ==
               QString(PictureAnswer::answerBytes, u' '));
    result.ok = true;
    FUZZ_CHECK(PictureAnswer::fromTransfer(result, false) == PictureAnswer::nothingOffered);
}

void checkParse(const QString& answer)
{
    const PictureRecord record = PictureAnswer::parse(answer);
    const QStringList lines = record.toLines();
    const QStringList fields = lines.mid(0, 4);
    FUZZ_CHECK(lines.size() >= 4 && lines.size() <= 4 + int(PictureCredits::fields.size()));
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(u'\n'));
    for (const QString& field : fields)
        FUZZ_CHECK(answer.contains(field));
    // A server that ends its lines with CR LF sends the same record.
    FUZZ_CHECK(PictureAnswer::parse(lines.join("\r\n") + "\r\n") == record);
    bool endsWithCr = false;
    for (const QString& field : fields)
        endsWithCr = endsWithCr || field.endsWith(u'\r');
    if (!endsWithCr)
        FUZZ_CHECK(PictureAnswer::parse(lines.join(u'\n')) == record);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::quietLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = FuzzSupport::bytes(data, size);
    checkTransfer(body);
    const QString text = QString::fromUtf8(body);
    checkTrim(text);
    checkParse(text);

    // The installer's own path: trim the padded answer, then split it unless it is "-1".
    platform::HttpResult result;
    result.ok = true;
    result.body = body;
    const QString trimmed = PictureAnswer::trimSpaces(PictureAnswer::fromTransfer(result, true));
    if (trimmed != PictureAnswer::nothingOffered)
        checkParse(trimmed);
    return 0;
}
