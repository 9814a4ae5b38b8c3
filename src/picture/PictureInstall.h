// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class PictureView;
namespace platform {
class Http;
}

// Installs one picture: fetches its record (or takes one handed over), downloads the
// picture beside the installed picture and, only once it arrived whole and decodes (on a worker
// thread), puts it in place together with its record and shows it. Nothing here
// blocks: each step continues when its transfer ends, and a newer install (or cancel())
// supersedes a running one, which then reports nothing.
class PictureInstall : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Installed,
        NothingOffered, // the server has no picture for this client ("-1")
        Failed,         // no record, no download, or a picture that does not decode
        Gone,           // the picture's address says it is not there (any more)
    };

    // A picture file larger than this is refused.
    static constexpr qint64 maxPictureBytes = 64 * 1024 * 1024;

    // Finishes or drops an install that a kill interrupted, before anything is read.
    PictureInstall(const QString& stateDir, platform::Http& http, PictureView& view);

    // With `RecordText` empty the record is read from `RecordUrl`; otherwise
    // `RecordText` is the record in the server's answer form.
    void InstallPicture(const QString& RecordUrl, const QString& RecordText);
    // Installs the picture of `record` from the local file `copy`, which stays.
    void installCopy(const PictureRecord& record, const QString& copy);
    // Ends the running install, if any, without a report.
    void cancel();

    // The start of the body at `strURL`, padded with spaces (see PictureAnswer), and
    // why the server gave no answer (empty when it did).
    void DownloadToString(const QString& strURL,
                          std::function<void(const QString& answer, const QString& problem)> done);
    // Downloads `sSourceUrl` into `sLocalFile` while the busy label shows; succeeds
    // (an empty problem) only when the whole picture arrived. `status` is the answer's
    // HTTP status, 0 when none came.
    void DownloadFile(const QString& sSourceUrl, const QString& sLocalFile,
                      std::function<void(const QString& problem, int status)> done);

signals:
    // `problem` says in plain words why no picture was installed; empty once one was, and
    // when the server had none to offer (its caller knows what was asked for).
    void ended(PictureInstall::Outcome outcome, const PictureRecord& record,
               const QString& problem);

private:
    void begin();
    // A new, empty file beside the installed picture for the picture; none (and the install ended)
    // when the state folder takes no file.
    std::optional<QString> createPart(const PictureRecord& record);
    void installRecord(const QString& recordUrl, const PictureRecord& record);
    void decode(const PictureRecord& record, const QString& partPath);
    QString putInPlace(const PictureRecord& record, const QString& partPath, const QImage& picture);
    void end(Outcome outcome, const PictureRecord& record = {}, const QString& problem = {});
    // Whether the install that `install` stands for is still the current one.
    bool isCurrent(const QObject* install) const { return install && install == m_install; }
    QString statePath(const QString& name) const { return m_stateDir + u'/' + name; }
    void removeStaleDownloads() const;

    QString m_stateDir;
    platform::Http& m_http;
    PictureView& m_view;
    QPointer<QObject> m_install; // lives as long as the current install
    QElapsedTimer m_transferClock;
};
