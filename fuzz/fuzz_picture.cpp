// SPDX-License-Identifier: GPL-3.0-or-later
// The check that a picture file reaches its own end, for every format it reads: it reads
// only the bytes it is given, and cutting a file never makes it complete nor appending
// bytes makes it cut.
#include "FuzzSupport.h"

#include "platform/ImageStructure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using platform::ImageStructure::isComplete;
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    for (const char* format : {"jpeg", "gif", "bmp"}) {
        const bool complete = isComplete(format, bytes);
        if (complete)
            FUZZ_CHECK(isComplete(format, bytes + "after the end"));
        for (const qsizetype cut : {bytes.size() / 2, bytes.size() - 1}) {
            if (cut >= 0 && isComplete(format, bytes.left(cut)))
                FUZZ_CHECK(complete);
        }
    }
    return 0;
}
