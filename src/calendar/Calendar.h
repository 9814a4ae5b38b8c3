#pragma once

#include <QDate>
#include <QObject>

class Form1;

// The month grid over the calendar panel, the month arrows, and the two link buttons
// of the calendar's row (the server's home and weather pages).
class Calendar : public QObject
{
    Q_OBJECT
public:
    explicit Calendar(Form1& form);

    // Rebuilds the grid for the shown month and marks today. Called at start-up, by
    // the arrows, and by the calendar timer, which moves the grid on at midnight.
    void Timer1_Timer();

    void Label11_Click(); // previous month
    void Label12_Click(); // next month
    void Label13_Click(); // the server's home page
    void Label7_Click();  // the weather page

private:
    void step(int months);
    void rebuild(int year, int month, const QDate& today);

    Form1& m_form;
    // What the grid shows now, so a tick that changes nothing touches no widget.
    int m_builtYear = 0;
    int m_builtMonth = 0;
    QDate m_builtToday;
};
