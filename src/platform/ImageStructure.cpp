// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ImageStructure.h"

#include <QtEndian>

#include <cstring>

namespace platform::ImageStructure {

namespace {

// A JPEG: its segments and scans lead to the end-of-image marker.
namespace jpeg {

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

bool reachesEnd(const uchar* bytes, qsizetype size)
{
    if (size < 2 || bytes[0] != marker || bytes[1] != startOfImage)
        return false;
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

} // namespace jpeg

// A GIF: its blocks lead to the trailer.
namespace gif {

constexpr uchar extension = 0x21;
constexpr uchar imageDescriptor = 0x2c;
constexpr uchar trailer = 0x3b;

// The bytes of the colour table that a packed field announces, if any.
qsizetype colourTableBytes(uchar packed)
{
    return packed & 0x80 ? 3 << ((packed & 0x07) + 1) : 0;
}

bool reachesTrailer(const uchar* bytes, qsizetype size)
{
    constexpr qsizetype screenEnd = 13; // the header and the logical screen descriptor
    if (size < screenEnd ||
        (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0))
        return false;
    qsizetype i = screenEnd + colourTableBytes(bytes[10]);
    while (i < size) {
        const uchar block = bytes[i];
        if (block == trailer)
            return true;
        if (block == extension) {
            i += 2; // the introducer and the label
        } else if (block == imageDescriptor) {
            if (i + 10 > size)
                return false;
            // The descriptor, its colour table, then the LZW code size.
            i += 10 + colourTableBytes(bytes[i + 9]) + 1;
        } else {
            return false;
        }
        // Data sub-blocks, each led by its length, up to the empty one.
        while (true) {
            if (i >= size)
                return false;
            const uchar length = bytes[i++];
            if (length == 0)
                break;
            i += length;
        }
    }
    return false;
}

} // namespace gif

// A BMP: its pixel data, where the headers say it starts, fits in the file.
namespace bmp {

constexpr quint32 rgb = 0, rle8 = 1, rle4 = 2, bitFields = 3;
constexpr qsizetype fileHeaderSize = 14;

bool pixelsFit(const uchar* bytes, qsizetype size)
{
    if (size < fileHeaderSize + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const qint64 pixelsStart = qFromLittleEndian<quint32>(bytes + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + 14);
    const uchar* info = bytes + fileHeaderSize;
    qint64 width = 0, height = 0;
    quint32 bitCount = 0, compression = rgb, imageSize = 0;
    if (infoSize == 12) { // the OS/2 header: 16-bit sizes, no compression
        width = qFromLittleEndian<quint16>(info + 4);
        height = qFromLittleEndian<quint16>(info + 6);
        bitCount = qFromLittleEndian<quint16>(info + 10);
    } else if (infoSize >= 40 && size >= fileHeaderSize + 40) {
        width = qFromLittleEndian<qint32>(info + 4);
        height = qAbs(qint64(qFromLittleEndian<qint32>(info + 8))); // negative: top-down
        bitCount = qFromLittleEndian<quint16>(info + 14);
        compression = qFromLittleEndian<quint32>(info + 16);
        imageSize = qFromLittleEndian<quint32>(info + 20);
    } else {
        return false;
    }
    if (width <= 0 || height <= 0 || bitCount == 0 || bitCount > 32 ||
        pixelsStart < fileHeaderSize + infoSize || pixelsStart > size)
        return false;
    const qint64 available = size - pixelsStart;
    if (compression == rle8 || compression == rle4)
        return imageSize > 0 && imageSize <= available;       // run-length data: the declared size
    const qint64 rowBytes = (width * bitCount + 31) / 32 * 4; // rows padded to 4 bytes
    return (compression == rgb || compression == bitFields) && height <= available / rowBytes;
}

} // namespace bmp

} // namespace

bool knows(QByteArrayView format)
{
    return format == "jpeg" || format == "png" || format == "gif" || format == "bmp";
}

bool isComplete(QByteArrayView format, QByteArrayView data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    if (format == "jpeg")
        return jpeg::reachesEnd(bytes, data.size());
    if (format == "gif")
        return gif::reachesTrailer(bytes, data.size());
    if (format == "bmp")
        return bmp::pixelsFit(bytes, data.size());
    return format == "png";
}

} // namespace platform::ImageStructure
