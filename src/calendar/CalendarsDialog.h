// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/CalendarList.h"

#include <QDialog>

class CalendarSet;
class Subscriptions;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Calendars...": the list of the user's calendars (name, kind, where from, how the last
// read or refresh went), with buttons to add a file or an address, remove one, and
// choose its kind. Every change is kept in Calendars.dat at once.
class CalendarsDialog : public QDialog
{
    Q_OBJECT
public:
    CalendarsDialog(CalendarSet& calendars, Subscriptions& subscriptions, QWidget* parent);

    // Adds a calendar from a file or an address; says why not in the dialog.
    void addSource(const QString& source);

private:
    void fill();
    // Keeps `entries` as the list; says why not when it cannot.
    bool commit(const QList<CalendarList::Entry>& entries);
    void addFile();
    void addAddress();
    void removeSelected();
    void setKind(int index);

    CalendarSet& m_calendars;
    Subscriptions& m_subscriptions;
    QTreeWidget* m_list;
    QComboBox* m_kind;
    QPushButton* m_remove;
    QLabel* m_problem;
};
