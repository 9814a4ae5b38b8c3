// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/WholePicture.h"

#include <cstring>

namespace WholePicture {

namespace {
constexpr uchar marker = 0xff;
constexpr uchar startOfImage = 0xd8;
constexpr uchar endOfImage = 0xd9;
constexpr uchar startOfScan = 0xda;

bool isRestart(uchar code)
{
    return code >= 0xd0 && code <= 0xd7;
}

// The position of the next 0xff at or after `from`, or `size` when there is none.
qsizetype nextMarkerByte(const uchar* bytes, qsizetype size, qsizetype from)
{
    if (from >= size)
        return size;
    const void* found = std::memchr(bytes + from, marker, size_t(size - from));
    return found ? static_cast<const uchar*>(found) - bytes : size;
}

// Skips a scan's entropy-coded data, where 0xff is followed by a stuffed 0x00, a
// restart marker or fill bytes; returns where the next marker starts.
qsizetype skipScan(const uchar* bytes, qsizetype size, qsizetype from)
{
    qsizetype i = nextMarkerByte(bytes, size, from);
    while (i + 1 < size) {
        const uchar next = bytes[i + 1];
        if (next != 0x00 && !isRestart(next) && next != marker)
            return i;
        i = nextMarkerByte(bytes, size, i + (next == marker ? 1 : 2));
    }
    return size;
}
} // namespace

bool isWhole(QByteArrayView data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qsizetype size = data.size();
    if (size < 2 || bytes[0] != marker || bytes[1] != startOfImage)
        return true;
    qsizetype i = 2;
    while (true) {
        // Stray bytes between segments are tolerated, as decoders do.
        i = nextMarkerByte(bytes, size, i);
        while (i < size && bytes[i] == marker)
            ++i;
        if (i >= size)
            return false;
        const uchar code = bytes[i++];
        if (code == endOfImage)
            return true;
        if (code == 0x01 || isRestart(code))
            continue; // markers without a length
        if (i + 2 > size)
            return false;
        const qsizetype length = (qsizetype(bytes[i]) << 8) | bytes[i + 1];
        if (length < 2 || i + length > size)
            return false;
        i += length;
        if (code == startOfScan)
            i = skipScan(bytes, size, i);
    }
}

} // namespace WholePicture
