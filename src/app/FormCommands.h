// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QPoint>

#include <map>

class Form1;

// The window's commands, each one QAction made once with its text, keys and tooltip:
// the context menu lists them in the order and groups of the table in FormCommands.cpp,
// their shortcuts are the window's keys, and the painted buttons that run them take
// their tooltips from them. Keys that a focused list uses too (arrows, Page Up/Down,
// Home) are navigation: they act only while no list has the focus.
class FormCommands
{
public:
    enum class Id {
        Fetch,
        PreviousPicture,
        NextPicture,
        AddToGallery,
        RemoveFromGallery,
        OpenPicturePage,
        OpenHomePage,
        OpenGalleryFolder,
        SetWallpaper,
        FollowWallpaper,
        RestoreWallpaper,
        BackToToday,
        Calendars,
        KeepAbove,
        OpenSettings,
        StartAtLogin,
        ClearHistory,
        About,
        Close,
        PreviousMonth,
        NextMonth,
        CloseSettings,
    };

    explicit FormCommands(Form1& form);

    QAction* action(Id id) const { return m_actions.at(id); }
    // The context menu at `globalPos`, made for this popup and deleted when it closes.
    void popup(QPoint globalPos) const;

private:
    Form1& m_form;
    std::map<Id, QAction*> m_actions;
};
