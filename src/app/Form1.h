#pragma once

#include "app/HotSpot.h"
#include "app/ImageBox.h"
#include "app/LineControl.h"
#include "app/PictureBox.h"
#include "app/ProgressLabel.h"
#include "app/SkinLabel.h"
#include "app/TagTimer.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QWidget>

#include <memory>

class Calendar;
class HoverTracker;
class MyGallery;
class SettingsPanel;
class PictureInstaller;
class RefreshCycle;
class SkinImages;
namespace platform {
class Http;
}

// The widget's one window: a frameless skin with the controls laid over it. Controls
// and form-level state keep the names the handlers use; the handlers themselves live
// in the subsystem classes that Form1 owns.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    struct Options
    {
        QString stateDir;
        QString serverBase; // scheme and host, no trailing "/"
    };

    explicit Form1(const Options& options, QWidget* parent = nullptr);
    ~Form1() override;

    QString statePath(const QString& name) const { return m_options.stateDir + u'/' + name; }
    const QString& serverBase() const { return m_options.serverBase; }

    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    // Re-arms the refresh timer from the interval choice, as start-up and every
    // install do.
    void RearmTimer2();

    // Form-level state, none of it persisted.
    bool DefaultPictureShown = false;
    bool DownloadRetried = false;
    bool MonthBrowsing = false;
    int ShownMonth = 1;
    int ShownYear = 2000;
    QString CategoryQuery;
    QRandomGenerator Random;

    // Controls, topmost first within each container.
    PictureBox* Picture2;
    SkinLabel* Label10;
    PictureBox* Settings;
    QStringList List1 = {QStringLiteral("5"), QStringLiteral("15"), QStringLiteral("30"),
                         QStringLiteral("60")};
    QComboBox* Combo2;
    QComboBox* Combo1;
    HotSpot* Label1;
    PictureBox* Picture1;
    QList<SkinLabel*> Days; // element 0 is the hidden template
    ImageBox* DaysChooseImg;
    HotSpot* Label2;
    ProgressLabel* Downloading;
    SkinLabel* ImageAdded;
    LineControl* Line2;
    LineControl* Line4;
    LineControl* Line3;
    LineControl* Line1;
    ImageBox* Image1;
    HotSpot* Label13;
    HotSpot* Label12;
    HotSpot* Label11;
    HotSpot* Label9;
    HotSpot* Label7;
    HotSpot* Label6;
    HotSpot* Label5;
    HotSpot* LabelExit;
    SkinLabel* Image1Label;
    SkinLabel* LabelMnthShade;

    TagTimer* CursorEvents;
    TagTimer* Timer2;
    TagTimer* Timer1;

    Calendar& calendar() { return *m_calendar; }
    PictureInstaller& installer() { return *m_installer; }
    RefreshCycle& refreshCycle() { return *m_refreshCycle; }
    platform::Http& http() { return *m_http; }
    SettingsPanel& settingsPanel() { return *m_settingsPanel; }
    MyGallery& myGallery() { return *m_myGallery; }
    HoverTracker& hoverTracker() { return *m_hoverTracker; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void showStoredPicture();
    void LabelExit_Click();

    Options m_options;
    std::unique_ptr<SkinImages> m_skin;
    std::unique_ptr<platform::Http> m_http; // outlives the users of its transfers
    std::unique_ptr<Calendar> m_calendar;
    std::unique_ptr<PictureInstaller> m_installer;
    std::unique_ptr<RefreshCycle> m_refreshCycle;
    std::unique_ptr<SettingsPanel> m_settingsPanel;
    std::unique_ptr<MyGallery> m_myGallery;
    std::unique_ptr<HoverTracker> m_hoverTracker;
};
