// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

// Where the window's controls lie on the skin, in logical pixels of the window, and the
// colours and fonts they share with the painted art. The painter draws each button and
// word where the control over it lies, so both read them from here.
namespace SkinLayout {

// Debian's stand-ins for the fonts the skin was drawn with: Liberation Serif for
// Narkisim and Times New Roman; Liberation Sans for MS Sans Serif and for Tahoma's day
// numbers (the closest digit widths), and its Narrow cut for "Image Added"; DejaVu Sans
// for the small week numbers.
inline const QString sans = QStringLiteral("Liberation Sans");
inline const QString sansNarrow = QStringLiteral("Liberation Sans Narrow");
inline const QString smallSans = QStringLiteral("DejaVu Sans");
inline const QString serif = QStringLiteral("Liberation Serif");

// Sizes are pixels, so the layout does not follow the screen's DPI.
inline QFont font(const QString& family, int pixelSize, QFont::Weight weight = QFont::Normal,
                  bool italic = false)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setItalic(italic);
    return f;
}

// The face is one flat grey, so the grey covers over painted words look like bare face.
inline const QColor face(224, 224, 224);
inline const QColor hoverYellow(255, 255, 128);
inline const QColor dayBlue(170, 207, 249);
// The painted Saturday and Sunday headers; holidays and event marks take it too.
inline const QColor weekendGold(255, 216, 150);
inline const QColor settingsBlue(0, 0, 192);
inline constexpr QRgb markerColour = 0xff092e73; // today's marker square, (9, 46, 115)

inline constexpr QSize windowSize{235, 392};
// Laid out wider than shown at first: start-up cuts the window to the skin, hiding the
// settings panel that waits on the right.
inline constexpr QSize layoutSize{476, 392};

inline constexpr QRect picture{24, 32, 188, 144};         // Image1
inline constexpr QRect hoverArea{24, 33, 188, 143};       // Image1Label
inline constexpr QRect badge{57, 12, 116, 16};            // Picture2, over "Add to My Gallery"
inline constexpr QRect addToGallery{58, 12, 117, 18};     // Label9
inline constexpr QRect closeButton{198, 14, 12, 12};      // LabelExit
inline constexpr QRect viewGallery{25, 196, 66, 14};      // Label2
inline constexpr QRect refreshButton{95, 196, 43, 25};    // Label6
inline constexpr QRect busy{142, 196, 71, 15};            // Downloading
inline constexpr QRect imageAdded{156, 196, 58, 15};      // the cover over "Image Added"
inline constexpr QRect calendar{20, 225, 196, 132};       // Picture1
inline constexpr QRect settingsPanel{242, 165, 204, 137}; // Settings, while hidden
inline constexpr QPoint settingsShown{19, 224};           // ... and where it opens
inline constexpr QRect settingsClose{175, 14, 17, 17};    // Label1, on the panel
inline constexpr QRect sourceBox{22, 58, 115, 19};        // Combo2, on the panel
inline constexpr QRect intervalBox{21, 103, 116, 19};     // Combo1, on the panel
inline constexpr QRect badgeCaption{4, 0, 107, 16};       // Label10, on the badge
inline constexpr QRect dayTemplate{35, 37, 10, 11};       // Days(0), on the calendar
inline constexpr QRect marker{32, 37, 14, 12};            // DaysChooseImg, on the calendar
inline constexpr QRect monthCaption{23, 181, 191, 14};    // LabelMnthShade
inline constexpr QRect homeLink{24, 196, 69, 10};         // Label13
inline constexpr QRect previousMonth{16, 365, 21, 20};    // Label11
inline constexpr QRect nextMonth{43, 364, 21, 20};        // Label12
inline constexpr QRect weatherLink{69, 364, 29, 21};      // Label7
inline constexpr QRect settingsButton{100, 360, 120, 28}; // Label5

} // namespace SkinLayout
