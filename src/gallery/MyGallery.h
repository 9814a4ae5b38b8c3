// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

class HotSpot;
class ImageBox;
class SkinLabel;
class QWidget;

// My Gallery: saving the record of the picture on screen as a gallery file, the
// "Image Added" blink that confirms it, and the server's page of the saved pictures.
class MyGallery : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        ImageBox* picture;      // Image1, whose tag is its record
        SkinLabel* addedCover;  // ImageAdded: the cover over the words "Image Added"
        QWidget* busyLabel;     // Downloading, which would hide the words
        HotSpot* saveButton;    // Label9: save the current picture
        HotSpot* galleryButton; // Label2: open the gallery page
    };

    MyGallery(const Controls& controls, const QString& stateDir, const QString& serverBase);

    void Label9_Click();
    // Whether the picture shown is saved: its gallery file holds its record.
    bool shownIsSaved() const;
    // Takes the picture shown out of My Gallery: its one file, only when that file
    // holds the shown picture's record.
    void removeShown();
    QString folder() const { return m_folder; }
    void Label2_Click();

    // One step of the blink: shows or hides the words for the time since the save,
    // and waits for the next change. Driven by a timer; no busy loop.
    void Blink_Timer();
    bool blinking() const { return m_blinkStart >= 0; }

private:
    Controls m_controls;
    QString m_folder;
    QString m_serverBase;
    QTimer m_blink;
    qint64 m_blinkStart = -1;
};
