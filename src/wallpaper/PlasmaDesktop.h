// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wallpaper/Desktop.h"

namespace wallpaper {

// KDE Plasma: a script for the desktop shell, sent through its D-Bus scripting call,
// that sets the image of every screen's desktop and prints what each then holds. The
// shell refuses scripts while its widgets are locked, which is said in plain words.
class PlasmaDesktop : public Desktop
{
public:
    using Desktop::Desktop;

    QString name() const override { return QStringLiteral("KDE Plasma"); }
    void read(Values done) override;
    void show(const QString& path, Done done) override;
    void restore(const QStringList& values, Done done) override;

private:
    // Runs `script`; `done` gets the lines it printed, or why it did not run.
    void evaluate(const QString& script, Values done);
};

} // namespace wallpaper
