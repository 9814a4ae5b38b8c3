// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wallpaper/Desktop.h"

namespace wallpaper {

// Xfce: `xfconf-query` on the desktop channel, where each monitor's workspace has a
// last-image property of its own; every one that exists is set.
class XfceDesktop : public Desktop
{
public:
    using Desktop::Desktop;

    QString name() const override { return QStringLiteral("Xfce"); }
    // "<property> <path>" per property.
    void read(Values done) override;
    void show(const QString& path, Done done) override;
    void restore(const QStringList& values, Done done) override;

private:
    // The last-image properties that exist.
    void properties(Values done);
};

} // namespace wallpaper
