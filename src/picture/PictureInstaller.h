#pragma once

#include "picture/PictureRecord.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class Form1;
namespace platform {
class Http;
}

// Installs a picture: fetches its record (or takes one handed over), downloads the
// picture beside "image.jpg", and only once it arrived whole and decodes (on a worker
// thread), puts it in place, shows it and stores its record. Every install, installed or not, ends
// by re-arming the refresh timer and clearing the busy label. Nothing here blocks: each step
// continues when its transfer ends, and a newer install supersedes a running one.
class PictureInstaller : public QObject
{
    Q_OBJECT
public:
    // A picture file larger than this is refused.
    static constexpr qint64 maxPictureBytes = 64 * 1024 * 1024;

    PictureInstaller(Form1& form, platform::Http& http);

    // With `RecordText` empty the record is read from `RecordUrl`; otherwise
    // `RecordText` is the record in the server's answer form.
    void InstallPicture(const QString& RecordUrl, const QString& RecordText);

    // The start of the body at `strURL`, padded with spaces (see PictureAnswer).
    void DownloadToString(const QString& strURL, std::function<void(const QString&)> done);
    // Downloads `sSourceUrl` into `sLocalFile` while the busy label shows; true only
    // when the whole picture arrived.
    void DownloadFile(const QString& sSourceUrl, const QString& sLocalFile,
                      std::function<void(bool)> done);

    // Ends a refresh that installs nothing, as a failed install ends: the cycle goes on.
    void endWithoutPicture() { finish(Outcome::NotInstalled); }

signals:
    // A refresh has ended, with a new picture or without.
    void ended();

private:
    enum class Outcome { Installed, NotInstalled };

    void installRecord(const PictureRecord& record);
    void downloaded(const PictureRecord& record, const QString& partPath, bool ok);
    void notInstalled(const PictureRecord& record);
    bool putInPlace(const PictureRecord& record, const QString& partPath, const QImage& picture);
    void finish(Outcome outcome);
    // Whether the install that `install` stands for is still the current one.
    bool isCurrent(const QObject* install) const { return install && install == m_install; }
    void removeStaleDownloads() const;

    Form1& m_form;
    platform::Http& m_http;
    QPointer<QObject> m_install; // lives as long as the current install
    QElapsedTimer m_transferClock;
};
