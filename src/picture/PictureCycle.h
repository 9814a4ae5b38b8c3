#pragma once

#include "picture/PictureInstall.h"
#include "picture/PictureView.h"
#include "platform/PageRequest.h"
#include "platform/TagTimer.h"

#include <QObject>
#include <QRandomGenerator>
#include <QUrl>

// The picture of the day: the refresh timer counts the chosen interval down and, when
// it runs out, a new picture comes from My Gallery, or from the picture server, asked
// for a random pick and then for its current picture. A failed install is tried again
// once per run; every refresh ends by re-arming the countdown. Needs no widget: it
// shows what it does through a PictureView.
class PictureCycle : public QObject
{
    Q_OBJECT
public:
    PictureCycle(const QString& stateDir, const QString& serverBase, platform::Http& http,
                 PictureView& view);

    // Start-up, in two steps: the stored picture (or the placeholder) at once, then,
    // once the choices are loaded, the badge and the countdown. With only the
    // placeholder to show, the first tick fetches a picture.
    void showStoredPicture();
    void start();

    void Timer2_Timer();
    // The refresh button: a new picture now, whatever the countdown.
    void refreshNow();
    // The settings panel was closed: its choices apply from the next tick on.
    void applyChoices();
    // Re-arms the countdown from the interval choice.
    void RearmTimer2();

    void WB1_NavigateComplete2(const QUrl& URL);
    QString randomPickAddress() const;
    QString currentPictureAddress() const;

    PictureInstall& install() { return m_install; }

    // The countdown, in ticks of the timer, is its tag.
    TagTimer Timer2;
    bool DefaultPictureShown = false;
    bool DownloadRetried = false;
    QString CategoryQuery; // the pending random pick's query, if it asked for a category

signals:
    // A refresh has ended, with a new picture or without.
    void ended();

private:
    enum class Outcome { Installed, NotInstalled };

    std::optional<PictureRecord> storedRecord() const;
    void refreshFromGallery();
    void WB1_NavigateFailed(const QUrl& requested);
    void installEnded(PictureInstall::Outcome outcome, const PictureRecord& record);
    void finish(Outcome outcome);
    void showBadge();
    // The address the pending random-pick request was sent to.
    QUrl expectedAddress() const;

    QString m_stateDir;
    QString m_serverBase;
    PictureView& m_view;
    PictureInstall m_install;
    platform::PageRequest m_wb1;
    QRandomGenerator m_random;
    bool m_installed = false; // a picture was installed since start-up
};
