// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QWindow>

class LineControl;
class SkinLabel;
class QTimer;
class QWidget;

// Draws the light-yellow box around the picture while the pointer is over it: a 25 Hz
// poll compares the pointer with the picture's rectangle on screen, and touches the box
// only when the state changes. The poll runs only while the pointer is over the window:
// it starts when the pointer enters or moves (or the window maps under it) and stops at the
// first tick that finds it outside, so a widget left alone on the desktop sleeps.
class HoverTracker : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QWidget* window;          // the window the picture moves with
        SkinLabel* hoverArea;     // Image1Label: the picture's rectangle; its tag holds the state
        LineControl* boxLines[4]; // Line1 .. Line4, the box
        QTimer* pointerPoll;      // CursorEvents
    };

    explicit HoverTracker(const Controls& controls);

    void CursorEvents_Timer();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowHoverBox();
    void HideHoverBox();

private:
    void showBox(bool shown);

    Controls m_controls;
    QPointer<QWindow> m_handle; // the native window whose events are watched too
};
