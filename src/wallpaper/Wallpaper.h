// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"
#include "state/WallpaperState.h"
#include "wallpaper/Desktop.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class Http;
}

// The picture of the day on the whole desktop: a copy at least the size of the largest
// screen, fetched from the picture server (never the shown copy enlarged), kept in
// Wallpaper/ under a new name each time and handed to the desktop. The file the desktop
// shows and the one before stay, so it never shows a missing file. Before the first
// wallpaper on a desktop, what it showed is remembered in Wallpaper.dat, to be put back.
// Each attempt ends with outcome(): "Wallpaper set", or why not; a newer attempt
// supersedes one under way.
class Wallpaper : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString stateDir;
        // The largest screen's size in device pixels; empty when there is no screen.
        std::function<QSize()> largestScreen;
        // The session's desktop and whether it runs on X11 (see chooseDesktop).
        QString currentDesktop;
        bool x11 = false;
        // How long a desktop's tool may take.
        std::chrono::milliseconds toolLimit{5000};
    };

    Wallpaper(const Options& options, platform::Http& http);
    ~Wallpaper() override;

    // Why the wallpaper cannot be set in this session; empty when it can.
    QString unavailable() const { return m_unavailable; }

    // "Set as wallpaper": the picture of `record`.
    void set(const PictureRecord& record);
    // "New pictures become the wallpaper", kept in Wallpaper.dat.
    bool follows() const { return m_state.follow; }
    void follow(bool on);
    // A new picture was installed: it becomes the wallpaper while follows() is on, once
    // the connection is not metered.
    void newPicture(const PictureRecord& record);
    // "Restore my wallpaper": what this desktop showed before artcal first set one.
    void restore();

    void setMetered(bool metered);
    void setOffline(bool offline);

signals:
    // What became of the last command: "Wallpaper set", or why not, in plain words.
    void outcome(const QString& text);
    // The desktop now shows `path`.
    void changed(const QString& path);

private:
    QString folder() const;
    QString statePath() const;
    // One try at the wallpaper, with the desktop it talks to; going, it ends its calls.
    struct Attempt : QObject
    {
        std::unique_ptr<wallpaper::Desktop> desktop;
    };
    // Ends any attempt under way and starts a new one with a desktop of its own; false,
    // and the outcome says why, when the desktop cannot be set.
    bool begin();
    bool isCurrent(const QObject* attempt) const { return attempt && attempt == m_attempt; }
    wallpaper::Desktop& desktop() const;
    void fail(const QString& why, const QString& file = {});
    // `base`: the new file's path without its suffix, which the picture's format gives.
    void downloaded(const PictureRecord& record, const QString& part, const QString& base);
    // Shows `file`; `shown`: what the desktop showed before, put back on a failure.
    void showFile(const QString& file, const QStringList& shown);
    void keepOnly(const QStringList& names) const;

    Options m_options;
    platform::Http& m_http;
    QPointer<Attempt> m_attempt;
    QString m_desktopName; // the key of what Wallpaper.dat remembers
    QString m_unavailable;
    WallpaperState m_state;
    bool m_metered = false;
    bool m_offline = false;
    std::optional<PictureRecord> m_waiting; // a new picture held back while metered
};
