// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The names of the files and folders in the state folder, each given here only.
namespace StateFiles {

inline const QString settings = QStringLiteral("Settings.dat");     // the two choices
inline const QString categories = QStringLiteral("Categories.dat"); // the server's categories
inline const QString picture = QStringLiteral("image.jpg");         // the picture installed
inline const QString record = QStringLiteral("image.jpg.dat");      // its record
inline const QString placeholder = QStringLiteral("default.jpg");   // shown until a picture
inline const QString gallery = QStringLiteral("MyGallery");         // a file per saved picture
inline const QString window = QStringLiteral("Window.dat");         // the window's place
inline const QString history = QStringLiteral("History.json");      // the pictures shown
inline const QString historyCopies = QStringLiteral("History");     // copies of the last ones
inline const QString skin = QStringLiteral("skin");                 // the user's skin bitmaps
inline const QString calendars = QStringLiteral("Calendars.dat");   // the calendars shown
inline const QString calendarCopies = QStringLiteral("Calendars");  // subscriptions' last copies
inline const QString wallpaper = QStringLiteral("Wallpaper.dat");   // the wallpaper's choices
inline const QString wallpapers = QStringLiteral("Wallpaper");      // the wallpaper's files

// `name` in the state folder `stateDir`.
inline QString in(const QString& stateDir, const QString& name)
{
    return stateDir + u'/' + name;
}

} // namespace StateFiles
