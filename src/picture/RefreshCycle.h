#pragma once

#include "platform/PageRequest.h"

#include <QObject>
#include <QUrl>

class Form1;
class PictureInstaller;

// The refresh timer's cycle: it counts the chosen interval down and, when it runs out,
// takes a new picture from My Gallery, or asks the picture server for a random pick and
// installs the server's current picture once that request has completed.
class RefreshCycle : public QObject
{
    Q_OBJECT
public:
    RefreshCycle(Form1& form, platform::Http& http, PictureInstaller& installer);

    void Timer2_Timer();
    void WB1_NavigateComplete2(const QUrl& URL);

    QString randomPickAddress() const;
    QString currentPictureAddress() const;

private:
    void refreshFromGallery();
    void WB1_NavigateFailed(const QUrl& requested);
    // The address the pending random-pick request was sent to.
    QUrl expectedAddress() const;

    Form1& m_form;
    PictureInstaller& m_installer;
    platform::PageRequest m_wb1;
};
