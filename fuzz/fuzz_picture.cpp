// SPDX-License-Identifier: GPL-3.0-or-later
// The check that a downloaded picture arrived whole: it reads only the bytes it is
// given, and cutting a picture never makes it whole nor appending bytes makes it cut.
#include "FuzzSupport.h"

#include "picture/WholePicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const bool whole = WholePicture::isWhole(bytes);
    if (whole)
        FUZZ_CHECK(WholePicture::isWhole(bytes + "after the end"));
    const bool jpeg = bytes.startsWith("\xff\xd8");
    for (const qsizetype cut : {bytes.size() / 2, bytes.size() - 1}) {
        if (jpeg && cut >= 2 && WholePicture::isWhole(bytes.left(cut)))
            FUZZ_CHECK(whole);
    }
    return 0;
}
