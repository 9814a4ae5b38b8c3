// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ServerCategories.h"

#include <QObject>
#include <QPoint>
#include <QString>

class HotSpot;
class PictureBox;
class PictureCycle;
class QComboBox;

// The settings panel over the calendar: where pictures come from and how often they
// change. Closing it saves the choices and hands them to the picture cycle. The
// categories it offers are the picture server's, asked for after the refreshes (see
// ServerCategories).
class SettingsPanel : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        PictureBox* panel;       // Settings
        QPoint shownAt;          // where it opens, over the calendar
        QComboBox* intervalList; // Combo1
        QComboBox* sourceList;   // Combo2: all, My Gallery, then the categories
        HotSpot* openButton;     // Label5
        HotSpot* closeButton;    // Label1: save, apply, close
    };

    SettingsPanel(const Controls& controls, const QString& stateDir, const QString& serverBase,
                  platform::Http& http, PictureCycle& cycle);

    // Start-up: the server's categories from the categories file, then the saved choices.
    void loadChoices();
    // Asks the server for its categories, unless it answered less than an hour ago.
    void updateCategories();

    ServerCategories& serverCategories() { return m_serverCategories; }

    void Label5_Click();
    void Label1_Click();
    bool isOpen() const;

private:
    QString statePath(const QString& name) const { return m_stateDir + u'/' + name; }
    // The list offers `names` now; the choices, saved and on the panel, keep their names.
    void showCategories(const QStringList& names);

    Controls m_controls;
    QString m_stateDir;
    QString m_serverBase;
    PictureCycle& m_cycle;
    ServerCategories m_serverCategories;
};
