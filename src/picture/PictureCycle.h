// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture/Countdown.h"
#include "picture/PictureInstall.h"
#include "picture/PictureView.h"
#include "platform/PageRequest.h"
#include "platform/TagTimer.h"
#include "state/PictureHistory.h"

#include <QDateTime>
#include <QFuture>
#include <QImage>
#include <QObject>
#include <QRandomGenerator>
#include <QUrl>

// The picture of the day: the refresh timer counts the chosen interval down and, when
// it runs out, a new picture comes from My Gallery, or from the picture server, asked
// for a random pick and then for its current picture. Every refresh ends, however it
// ends, with the refresh button free and the countdown armed again; a failed one is
// tried again at once (once per run), then after 30 s, 1, 2, 4 ... minutes. Needs no
// widget: it shows what it does through a PictureView.
class PictureCycle : public QObject
{
    Q_OBJECT
public:
    PictureCycle(const QString& stateDir, const QString& serverBase, platform::Http& http,
                 PictureView& view);

    // Start-up, in steps: the stored picture (or the placeholder) starts decoding on a
    // thread of the pool, so that the start goes on meanwhile, and is shown (at once
    // when it was not started); then, once the choices are loaded, come the badge and
    // the countdown. With only the placeholder, or a picture older than the interval,
    // the first tick fetches.
    void loadStoredPicture();
    void showStoredPicture();
    void start();

    // The refresh timer's tick: counts the ticks left until the next refresh is due (the
    // timer sleeps until then, and a machine may have slept meanwhile, or its clock been
    // set forward) and with none left a refresh starts, unless the connection is metered.
    void Timer2_Timer();
    // The refresh button: a new picture now, whatever the countdown.
    void refreshNow();
    // The settings panel was closed: its choices apply from the next tick on.
    void applyChoices();
    // Re-arms the countdown from the interval choice.
    void RearmTimer2();
    // The system says the network is back: after failed refreshes, the next one runs
    // at once.
    void networkImproved();
    // On a metered connection only a click fetches.
    void setMetered(bool metered);
    // Adds a line to the status about something the widget changed on its own; the
    // status keeps it until the next refresh starts.
    void tell(const QString& notice);

    // The random pick sent to `URL` has been answered.
    // Back and forth through the pictures installed before, and the last picture of a
    // day: put in place as an install puts a new one, from the copy kept or else from
    // the picture's address. The countdown runs on; a refresh running refuses them.
    void previousPicture();
    void nextPicture();
    void showDay(const QDate& day);
    // Empties the history and drops its copies.
    void clearHistory();
    const PictureHistory& history() const { return m_history; }

    void WB1_NavigateComplete2(const QUrl& URL);
    QString randomPickAddress() const;
    QString currentPictureAddress() const;

    PictureInstall& install() { return m_install; }

signals:
    // A refresh has ended, with a new picture or without.
    void ended();
    // A picture joined the history, or another one of it is shown.
    void historyChanged();
    // A new picture came and is shown.
    void installed(const PictureRecord& record);

private:
    friend struct PictureCycleProbe; // what tests look at

    enum class Ending {
        Installed,
        NothingNew, // the server had nothing to offer, or My Gallery is empty
        Failed,     // the server or the picture failed: tried again soon
        Superseded, // the choices changed while the random pick was on its way
    };

    std::optional<PictureRecord> storedRecord() const;
    QString placeholderPath() const;
    // How the interval chosen arms the countdown.
    Countdown::Arm intervalArm() const;
    bool pictureOutdated() const;
    // The wall clock jumped: the countdown takes off the time a suspend, or a clock set
    // forward, kept from the timer, without counting a tick.
    void wallClockJumped();
    // Counts the countdown down to now, with a whole tick at least when `ticked`, and
    // starts the refresh that is due.
    void countDown(bool ticked);
    // Sets when the next refresh is due, counts the ticks left from now into the timer's
    // tag, and sleeps until it is due.
    void setDue(qint64 dueMs);
    qint64 msLeft() const;
    bool isDue() const;
    void refresh();
    void enableRefresh(bool enabled);
    void refreshFromGallery();
    void WB1_NavigateFailed(const QUrl& requested, const QString& error);
    void installEnded(PictureInstall::Outcome outcome, const PictureRecord& record,
                      const QString& problem);
    void showEntry(int index, bool fromCopy = true);
    void entryShown(bool shown, const PictureRecord& record, const QString& problem);
    void pictureShown(const PictureRecord& record);
    void finish(Ending ending, const QString& problem = {});
    void showBadge();
    void showStatus();
    // The address the pending random-pick request was sent to.
    QUrl expectedAddress() const;

    // Ticks every 4999 ms while the countdown runs; its tag shows the ticks left.
    TagTimer m_refreshTimer;
    bool m_placeholderShown = false;
    bool m_downloadRetried = false;
    QString m_categoryQuery; // the pending random pick's query, if it asked for a category
    QString m_stateDir;
    QString m_serverBase;
    PictureView& m_view;
    PictureInstall m_install;
    platform::Http& m_http;
    std::unique_ptr<platform::PageRequest> m_pageRequest; // the random pick on its way, if any
    QRandomGenerator m_random;
    bool m_installed = false;  // a picture was installed since start-up
    bool m_refreshing = false; // from the start of a refresh to its end
    bool m_refreshEnabled = true;
    QString m_pickCategory;     // the category the last random pick asked for, if one
    int m_failures = 0;         // refreshes in a row that failed
    QString m_problem;          // why the last refresh brought no picture
    QStringList m_notices;      // see tell()
    QStringList m_galleryTried; // the gallery files this refresh has tried, the last one on its way
    std::optional<PictureRecord> m_shown;
    QFuture<QImage> m_stored;       // the stored picture decoding, from loadStoredPicture ...
    bool m_storedIsPicture = false; // ... and not the placeholder
    PictureHistory m_history;
    int m_entryShown = -1;        // the history entry being put in place ...
    bool m_entryFromCopy = false; // ... from its copy
    bool m_metered = false;
    qint64 m_dueMs = 0;  // when the next refresh is due, on the monotonic clock
    QDateTime m_counted; // the wall clock and the monotonic one when it was last counted
    qint64 m_countedMs = 0;
};
