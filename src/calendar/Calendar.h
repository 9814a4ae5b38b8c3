// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calendar/DayNotes.h"

#include <QColor>
#include <QDate>
#include <QList>
#include <QObject>

#include <functional>

class HotSpot;
class ImageBox;
class PictureBox;
class SkinLabel;

// The month grid over the calendar panel, the month arrows, and the two link buttons
// of the calendar's row (the server's home and weather pages).
class Calendar : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        PictureBox* calendarBox; // Picture1: the panel the day labels sit on
        SkinLabel* dayTemplate;  // DayTemplate: a hidden day label the others copy
        ImageBox* todayMarker;   // DaysChooseImg
        SkinLabel* monthCaption; // LabelMnthShade
        HotSpot* captionButton;  // over it, for the keyboard: back to today
        HotSpot* previousButton; // Label11: the previous month
        HotSpot* nextButton;     // Label12: the next month
        HotSpot* homeLink;       // Label13: the server's home page
        HotSpot* weatherLink;    // Label7: the weather page
        QColor holidayColour;    // of the painted Saturday and Sunday headers
    };

    Calendar(const Controls& controls, const QString& serverBase);

    // Rebuilds the grid for the shown month and marks today. Called at start-up, by
    // the arrows, and by the calendar timer, which moves the grid on at midnight.
    void Timer1_Timer();
    // How long the calendar timer may sleep: the grid changes by itself only when the
    // day turns.
    static qint64 msToNextDay();

    // Days that have pictures: `count` says how many a day has. Such a day says so in
    // its tooltip, and a click on it asks for its picture (dayClicked).
    void setPicturesOn(std::function<int(const QDate&)> count);
    // What the user's calendars say of a day: a holiday's number takes the weekend
    // headers' colour, a day with events a small mark under its digits, and both go
    // into its tooltip and accessible description.
    void setNotesOn(std::function<DayNotes(const QDate&)> notes);
    // The counts or the notes changed.
    void markDays();

    // The grid follows today again: the month caption's click.
    void backToToday();

    void Label11_Click();
    void Label12_Click();
    void Label13_Click();
    void Label7_Click();

signals:
    void dayClicked(const QDate& day);
    // The grid was built for another month, or another today.
    void monthShown(int year, int month);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct CalendarProbe; // what tests look at

    void step(int months);
    void markDay(SkinLabel* label, const DayNotes& notes, const QString& text);
    void rebuild(int year, int month, const QDate& today);

    // The day labels, element 0 the template; element d is day d of the shown month.
    QList<SkinLabel*> m_dayLabels;
    // The month the arrows moved to; until they are used the grid follows today.
    bool m_browsing = false;
    int m_shownMonth = 1;
    int m_shownYear = 2000;
    Controls m_controls;
    QString m_serverBase;
    std::function<int(const QDate&)> m_picturesOn;
    std::function<DayNotes(const QDate&)> m_notesOn;
    QList<QWidget*> m_eventMarks;
    // What the grid shows now, so a tick that changes nothing touches no widget.
    int m_builtYear = 0;
    int m_builtMonth = 0;
    QDate m_builtToday;
};
