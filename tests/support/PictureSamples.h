// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QMap>

#include <algorithm>
#include <random>

// Picture files of every format the widget takes, whole, and damaged as a broken server
// or a cut library file delivers them.
namespace PictureSamples {

// Mostly `colour`, with noise drawn from `seed`: coded data as long as a photograph's.
inline QImage picture(const QColor& colour, unsigned seed, QSize size = {400, 300})
{
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int i = 0; i < size.width() * size.height(); ++i)
        image.setPixelColor(i % size.width(), i / size.width(),
                            colour.lighter(92 + int(random() % 17)));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

// Qt writes no GIF. This one, 400 × 300 pixels of green, is not compressed: one 8-bit
// code a pixel, in blocks of 100 pixels led by a clear code, before the codes would grow.
inline QByteArray gif()
{
    QByteArray table(3 * 128, 0); // of 128 colours, colour 0 green
    table[1] = char(0xff);
    return "GIF89a" + QByteArray::fromHex("9001 2c01 f6 0000") + table +
           QByteArray::fromHex("2c 0000 0000 9001 2c01 00 07") +
           (QByteArray::fromHex("65 80") + QByteArray(100, 0)).repeated(4 * 300) +
           QByteArray::fromHex("01 81 00 3b");
}

// `png` with a colour profile that libpng warns about and ignores, as many PNGs have.
inline QByteArray withBadProfile(const QByteArray& png)
{
    const QByteArray chunk = "iCCP" + QByteArray("icc\0\0", 5) + qCompress("short").mid(4);
    quint32 crc = 0xffffffff;
    for (const char byte : chunk) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    const auto bigEndian = [](quint32 n) {
        const char bytes[] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
        return QByteArray(bytes, 4);
    };
    const qsizetype afterHeader = 8 + 25; // the signature, then the IHDR chunk
    return png.left(afterHeader) + bigEndian(quint32(chunk.size() - 4)) + chunk + bigEndian(~crc) +
           png.mid(afterHeader);
}

// By name; the whole ones named "whole ...". Qt decodes each damaged one to a picture of
// the full size, with grey, black or shifted parts, or to none.
inline const QMap<QString, QByteArray>& files()
{
    static const QMap<QString, QByteArray> files = [] {
        const QImage green = picture(Qt::green, 1);
        const QByteArray jpeg = encoded(green, "JPEG"),
                         other = encoded(picture(Qt::blue, 2), "JPEG");
        const QByteArray progressive = encoded(green, "JPEG", true);
        QByteArray noisy = jpeg;
        std::generate(noisy.begin() + jpeg.size() / 2, noisy.begin() + jpeg.size() / 2 + 64,
                      std::mt19937(23));
        const auto cut = [](const QByteArray& file) { return file.left(file.size() * 2 / 3); };
        return QMap<QString, QByteArray>{
            {"whole GIF", gif()},
            {"whole BMP", encoded(green, "BMP")},
            {"whole PNG", encoded(green, "PNG")},
            {"whole PNG with a profile libpng dislikes", withBadProfile(encoded(green, "PNG"))},
            {"JPEG: first half and an end marker", jpeg.left(jpeg.size() / 2) + "\xff\xd9"},
            {"JPEG: random bytes in the middle", noisy},
            {"JPEG: halves of two pictures",
             jpeg.left(jpeg.size() / 2) + other.mid(other.size() / 2)},
            {"JPEG: progressive, cut before its last scan",
             progressive.left(progressive.lastIndexOf("\xff\xda"))},
            {"GIF: cut", cut(gif())},
            {"BMP: cut", cut(encoded(green, "BMP"))},
            {"PNG: cut", cut(encoded(green, "PNG"))},
        };
    }();
    return files;
}

} // namespace PictureSamples
