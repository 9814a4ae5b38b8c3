// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Form1Controls.h"
#include "calendar/Calendar.h"
#include "calendar/CalendarSet.h"
#include "calendar/Subscriptions.h"
#include "controls/HotSpot.h"
#include "controls/ImageBox.h"
#include "controls/LineControl.h"
#include "controls/PictureBox.h"
#include "controls/ProgressLabel.h"
#include "controls/SkinLabel.h"
#include "gallery/MyGallery.h"
#include "hover/HoverTracker.h"
#include "picture/PictureCycle.h"
#include "picture/PictureView.h"
#include "platform/Http.h"
#include "platform/TagTimer.h"
#include "settings/SettingsPanel.h"
#include "wallpaper/Wallpaper.h"

#include <QComboBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class FormCommands;
class SkinImages;

// The widget's one window: a frameless skin with the controls laid over it. It creates
// the controls and hands each feature the ones it works with; the picture cycle sees
// the window only as its PictureView.
class Form1 : public QWidget, private PictureView, private Form1Controls
{
    Q_OBJECT
public:
    struct Options
    {
        QString stateDir;
        QString serverBase;       // scheme and host, no trailing "/"
        QStringList arguments{};  // the options given on the command line, to start again
        QStringList artFolders{}; // where the skin art painted at build time may be
        // How long a desktop's tool may take to set the wallpaper.
        std::chrono::milliseconds wallpaperToolLimit{5000};
    };

    explicit Form1(const Options& options, QWidget* parent = nullptr);
    ~Form1() override;

    void Form_Load();
    void Timer1_Timer();
    void Label6_Click();
    void Image1_Click();

    Calendar& calendar() { return *m_calendar; }
    CalendarSet& calendars() { return *m_calendars; }
    Subscriptions& subscriptions() { return *m_subscriptions; }
    PictureCycle& cycle() { return *m_cycle; }
    SettingsPanel& settingsPanel() { return *m_settingsPanel; }
    MyGallery& myGallery() { return *m_myGallery; }
    HoverTracker& hoverTracker() { return *m_hoverTracker; }
    Wallpaper& wallpaper() { return *m_wallpaper; }
    const Wallpaper& wallpaper() const { return *m_wallpaper; }
    const Options& options() const { return m_options; }

    // The "Calendars..." dialog, one at a time.
    void showCalendars();

    // The picture shown now, if it is no placeholder.
    std::optional<PictureRecord> shownRecord() const;

    // Whether the window stays above other windows; the choice is kept with its place.
    bool keepsAbove() const;
    void keepAbove(bool above);

    // A word from the widget itself (why "Start at login" could not be done), shown in the
    // status under what the picture cycle says, until the next; empty to take it away.
    void showNotice(const QString& text);

signals:
    // The window's first frame is on the screen: work that can wait goes after it.
    void firstFramePainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend struct Form1Probe; // what tests and benchmarks look at

    void createControls();
    void createFeatures();
    void describeButtons();
    void orderKeyboard();
    void LabelExit_Click();
    // Back where it was put, wholly on a screen there is today; saved once a move by the
    // user has come to rest, or keep-above changed.
    void restorePlace();
    void savePlace();
    QString placeFile() const;

    // PictureView
    Choices choices() const override;
    QSize pictureSize() const override;
    void showBusy(bool busy) override;
    void showProgress(qreal fraction) override;
    void showPicture(const QImage& picture, const std::optional<PictureRecord>& record) override;
    void setBadge(Badge badge) override;
    void enableRefresh(bool enabled) override;
    void showStatus(const QString& text) override;
    void updateStatus();

    Options m_options;
    std::unique_ptr<SkinImages> m_skin;
    std::unique_ptr<FormCommands> m_commands;
    platform::Http m_http; // outlives the users of its transfers
    std::unique_ptr<CalendarSet> m_calendars;
    Subscriptions* m_subscriptions = nullptr; // the calendars' child
    std::unique_ptr<Calendar> m_calendar;
    std::unique_ptr<PictureCycle> m_cycle;
    std::unique_ptr<SettingsPanel> m_settingsPanel;
    std::unique_ptr<MyGallery> m_myGallery;
    std::unique_ptr<HoverTracker> m_hoverTracker;
    std::unique_ptr<Wallpaper> m_wallpaper;
    QTimer m_placeSaver;
    bool m_userMoving = false; // from a press on the bare skin to the end of its move
    QPointer<QDialog> m_calendarsDialog;
    bool m_painted = false;
    QString m_status; // what the picture cycle says
    QString m_notice; // what the widget itself says
};
