#pragma once

#include <QObject>

class Form1;

// The settings panel over the calendar: where pictures come from and how often they
// change. Closing it saves and applies the choices; the refresh button beside the
// picture fetches a new one at once.
class SettingsPanel : public QObject
{
    Q_OBJECT
public:
    explicit SettingsPanel(Form1& form);

    void Label5_Click(); // open
    void Label1_Click(); // save, apply, close
    void Label6_Click(); // a new picture now

private:
    Form1& m_form;
};
