// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class HotSpot;
class ImageBox;
class LineControl;
class PictureBox;
class ProgressLabel;
class QComboBox;
class SkinLabel;
class TagTimer;

// The window's controls, topmost first within each container. The window inherits them
// privately, as Qt's generated forms are used: only the window itself, and the features
// it hands some of them to, reach them.
struct Form1Controls
{
    PictureBox* Picture2;
    SkinLabel* Label10;
    PictureBox* Settings;
    QComboBox* Combo2;
    QComboBox* Combo1;
    HotSpot* Label1;
    PictureBox* Picture1;
    ImageBox* DaysChooseImg;
    HotSpot* Label2;
    ProgressLabel* Downloading;
    SkinLabel* ImageAdded;
    LineControl* Line2;
    LineControl* Line4;
    LineControl* Line3;
    LineControl* Line1;
    ImageBox* Image1;
    HotSpot* Label13;
    HotSpot* Label12;
    HotSpot* Label11;
    HotSpot* Label9;
    HotSpot* Label7;
    HotSpot* Label6;
    HotSpot* Label5;
    HotSpot* LabelExit;
    SkinLabel* Image1Label;
    SkinLabel* LabelMnthShade;
    HotSpot* CaptionButton; // the caption's face to the keyboard and to screen readers

    TagTimer* CursorEvents;
    TagTimer* Timer1;
};
