// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Wallpaper.dat: its first line is 1 while new pictures become the wallpaper and 0
// otherwise, so that it can be written by hand before the first start. Then, a line
// each, "current<TAB>name" (the file in Wallpaper/ the desktop shows) and, per desktop,
// "<desktop><TAB>value": what the desktop showed before the first wallpaper set there,
// in the form its setter puts back.
struct WallpaperState
{
    bool follow = false;
    QString current;
    QMap<QString, QStringList> before; // by desktop name

    // A missing or unreadable file reads as all off and nothing remembered.
    static WallpaperState read(const QString& path);
    bool write(const QString& path, QString* error) const;
};
