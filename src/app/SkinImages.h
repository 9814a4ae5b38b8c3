// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <map>
#include <utility>

// The bitmaps the window is dressed in. A user's replacement in the state folder's
// skin/ folder (skin.png, calendar.jpg, settings@2x.png, ...: any format Qt reads)
// wins over the painted one; an "@2x" file is preferred on high-DPI screens. Next
// come the bitmaps the build painted for scales 1 and 2 and installed with the widget,
// which spare every start the painting and its fonts; any other scale is painted
// here. Each bitmap is made once per device-pixel ratio, so a repaint costs nothing.
//
// An installed bitmap is a short header (see shippedHeader), then its pixels, row after
// row, in `shippedFormat` (bytes red, green, blue and one unused, the same on every
// processor): read straight into the image, with nothing to decode, it costs a start a
// fifth of a PNG. A file whose header is not this version's is passed over.
class SkinImages
{
public:
    enum class Part { Skin, Calendar, Settings, Marker };
    static constexpr Part parts[] = {Part::Skin, Part::Calendar, Part::Settings, Part::Marker};
    static constexpr int shippedScales[] = {1, 2};
    static constexpr QImage::Format shippedFormat = QImage::Format_RGBX8888;

    // `shippedFolders`: where the installed bitmaps may be, in order.
    explicit SkinImages(const QString& stateFolder, const QStringList& shippedFolders = {});

    QImage image(Part part, qreal dpr) const;

    // The art as the build paints it, and the file name it is installed under.
    static QImage painted(Part part, qreal dpr);
    static QSize logicalSize(Part part);
    static QString shippedName(Part part, int scale);
    // "artcal-skin" and a line end, then the file format's version, the width, the height
    // and the scale (each 32 bits, little-endian), then the program's version in 16 bytes.
    static QByteArray shippedHeader(Part part, int scale);

private:
    QImage load(Part part, qreal dpr) const;
    QImage replacement(const QString& baseName) const;
    QImage shipped(Part part, qreal dpr) const;

    QString m_skinFolder;
    QStringList m_shippedFolders;
    mutable std::map<std::pair<Part, qreal>, QImage> m_cache;
};
