// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wallpaper/Desktop.h"

namespace wallpaper {

// Any other X11 session: `feh --bg-fill` or `nitrogen`, whichever is installed. They
// cannot be asked what they show, so their exit status is the answer, and there is
// nothing to put back.
class X11Tools : public Desktop
{
public:
    // `program`: the path of feh or nitrogen.
    X11Tools(const QString& program, QObject* context, std::chrono::milliseconds limit);

    QString name() const override { return m_name; }
    void read(Values done) override { done({}, {}); }
    void show(const QString& path, Done done) override;
    void restore(const QStringList& values, Done done) override;

private:
    QString m_program;
    QString m_name;
};

} // namespace wallpaper
