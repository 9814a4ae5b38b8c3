#pragma once

#include <QObject>

class Form1;

// Draws the light-yellow box around the picture while the pointer is over it. The
// window is told of no enter or leave here: a 25 Hz poll compares the pointer with the
// picture's rectangle on screen, and touches the box only when the state changes.
class HoverTracker : public QObject
{
    Q_OBJECT
public:
    explicit HoverTracker(Form1& form);

    void CursorEvents_Timer();
    void ShowHoverBox();
    void HideHoverBox();

private:
    Form1& m_form;
};
