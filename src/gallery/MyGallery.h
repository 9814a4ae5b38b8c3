#pragma once

#include <QObject>
#include <QTimer>

class Form1;

// My Gallery: saving the record of the picture on screen as a gallery file, the
// "Image Added" blink that confirms it, and the server's page of the saved pictures.
class MyGallery : public QObject
{
    Q_OBJECT
public:
    explicit MyGallery(Form1& form);

    void Label9_Click(); // save the current picture
    void Label2_Click(); // open the gallery page

    // One step of the blink: shows or hides the words for the time since the save,
    // and waits for the next change. Driven by a timer; no busy loop.
    void Blink_Timer();
    bool blinking() const { return m_blinkStart >= 0; }

private:
    QString folder() const;

    Form1& m_form;
    QTimer m_blink;
    qint64 m_blinkStart = -1;
};
