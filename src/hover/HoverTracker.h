#pragma once

#include <QObject>

class LineControl;
class SkinLabel;
class QTimer;
class QWidget;

// Draws the light-yellow box around the picture while the pointer is over it. The
// window is told of no enter or leave here: a 25 Hz poll compares the pointer with the
// picture's rectangle on screen, and touches the box only when the state changes.
class HoverTracker : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QWidget* window;        // the window the picture moves with
        SkinLabel* Image1Label; // the picture's rectangle; its tag holds the state
        LineControl* Lines[4];  // Line1 .. Line4, the box
        QTimer* CursorEvents;   // the poll
    };

    explicit HoverTracker(const Controls& controls);

    void CursorEvents_Timer();
    void ShowHoverBox();
    void HideHoverBox();

private:
    void showBox(bool shown);

    Controls m_controls;
};
