// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureInstall.h"

#include "picture/PictureAnswer.h"
#include "picture/PictureLoader.h"
#include "picture/PictureStatus.h"
#include "picture/PictureView.h"
#include "platform/AtomicFile.h"
#include "platform/Http.h"
#include "platform/Logging.h"
#include "platform/WebAddress.h"
#include "state/PicturePair.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>

#include <memory>

namespace {

const QString partSuffix = QStringLiteral(".download");

} // namespace

PictureInstall::PictureInstall(const QString& stateDir, platform::Http& http, PictureView& view)
    : m_stateDir(stateDir), m_http(http), m_view(view)
{
    PicturePair::recover(stateDir);
    removeStaleDownloads();
}

void PictureInstall::begin()
{
    cancel();
    m_install = new QObject(this);
    m_view.showBusy(true);
}

void PictureInstall::InstallPicture(const QString& RecordUrl, const QString& RecordText)
{
    begin();
    if (!RecordText.isEmpty()) {
        installRecord(RecordUrl, PictureAnswer::parse(RecordText));
        return;
    }
    const QObject* install = m_install;
    DownloadToString(RecordUrl,
                     [this, install, RecordUrl](const QString& answer, const QString& problem) {
                         if (!isCurrent(install))
                             return;
                         const QString text = PictureAnswer::trimSpaces(answer);
                         if (!problem.isEmpty())
                             end(Outcome::Failed, {}, problem);
                         else if (text == PictureAnswer::nothingOffered)
                             end(Outcome::NothingOffered);
                         else
                             installRecord(RecordUrl, PictureAnswer::parse(text));
                     });
}

void PictureInstall::cancel()
{
    if (m_install) {
        // Its transfers end now, before a newer request goes out; the object itself
        // later, for this may run inside one of its callbacks.
        m_http.cancel(m_install);
        m_install->deleteLater();
    }
    m_install = nullptr;
}

void PictureInstall::installRecord(const QString& recordUrl, const PictureRecord& record)
{
    if (!platform::isWebAddress(QUrl(record.pictureUrl)))
        return end(Outcome::Failed, record,
                   QStringLiteral("No usable picture record from %1").arg(recordUrl));
    const std::optional<QString> part = createPart(record);
    if (!part)
        return;
    const QObject* install = m_install;
    // At the size it is shown at: a few kilobytes instead of megabytes.
    DownloadFile(platform::sizedPictureUrl(record.pictureUrl, m_view.pictureSize()), *part,
                 [this, install, record, part = *part](const QString& problem, int status) {
                     if (isCurrent(install) && problem.isEmpty())
                         return decode(record, part);
                     QFile::remove(part);
                     if (isCurrent(install))
                         end(status == 404 || status == 410 ? Outcome::Gone : Outcome::Failed,
                             record, problem);
                 });
}

void PictureInstall::installCopy(const PictureRecord& record, const QString& copy)
{
    begin();
    const std::optional<QString> part = createPart(record);
    if (!part)
        return;
    QFile::remove(*part);
    if (!platform::AtomicFile::linkOrCopy(copy, *part))
        return end(Outcome::Failed, record,
                   QStringLiteral("Cannot read the copy of the picture kept in %1").arg(copy));
    decode(record, *part);
}

std::optional<QString> PictureInstall::createPart(const PictureRecord& record)
{
    // The picture arrives under a name of its own beside the installed picture, which stays
    // intact until a complete, decodable picture replaces it.
    QString error;
    const std::optional<QString> part =
        platform::AtomicFile::createTemporary(statePath(StateFiles::picture), partSuffix, &error);
    if (!part)
        end(Outcome::Failed, record,
            QStringLiteral("Cannot store a picture in %1: %2").arg(m_stateDir, error));
    return part;
}

void PictureInstall::decode(const PictureRecord& record, const QString& partPath)
{
    // Decoding a big picture takes a while: it runs on a worker thread while the
    // window stays responsive. The file goes with the install if that is superseded.
    const auto part =
        std::shared_ptr<const QString>(new QString(partPath), [](const QString* path) {
            QFile::remove(*path);
            delete path;
        });
    auto* decoding = new QFutureWatcher<QImage>(m_install);
    connect(decoding, &QFutureWatcherBase::finished, this, [this, decoding, record, part] {
        decoding->deleteLater();
        if (!isCurrent(decoding->parent()))
            return;
        const QImage picture = decoding->result();
        const QString problem =
            picture.isNull()
                ? QStringLiteral("Picture %1 arrived incomplete or damaged").arg(record.pictureUrl)
                : putInPlace(record, *part, picture);
        end(problem.isEmpty() ? Outcome::Installed : Outcome::Failed, record, problem);
    });
    decoding->setFuture(PictureLoader::loadLater(partPath, m_view.pictureSize()));
}

QString PictureInstall::putInPlace(const PictureRecord& record, const QString& partPath,
                                   const QImage& picture)
{
    QString error;
    if (!PicturePair::replace(m_stateDir, partPath, record.toLines(), &error)) {
        qCWarning(lcPicture) << "cannot install the picture in" << m_stateDir << ":" << error;
        return QStringLiteral("Cannot store a picture in %1: %2").arg(m_stateDir, error);
    }
    m_view.showPicture(picture, record);
    return {};
}

void PictureInstall::end(Outcome outcome, const PictureRecord& record, const QString& problem)
{
    cancel();
    if (!problem.isEmpty())
        qCWarning(lcPicture).noquote() << problem;
    emit ended(outcome, record, problem);
}

void PictureInstall::DownloadToString(
    const QString& strURL, std::function<void(const QString& answer, const QString& problem)> done)
{
    const QUrl url(strURL);
    if (!platform::isWebAddress(url)) {
        done(PictureAnswer::fromTransfer({}, false),
             QStringLiteral("Cannot fetch a picture record from %1").arg(strURL));
        return;
    }
    m_http.getText(url, PictureAnswer::readBytes, m_install,
                   [url, done = std::move(done)](const platform::HttpResult& result) {
                       const QString site = platform::siteOf(url);
                       QString problem;
                       if (!result.ok)
                           problem = PictureStatus::notReachable(site, result.error);
                       else if (result.status >= 400)
                           problem =
                               QStringLiteral("Picture server %1 answered with HTTP status %2")
                                   .arg(site)
                                   .arg(result.status);
                       done(PictureAnswer::fromTransfer(result, true), problem);
                   });
}

void PictureInstall::DownloadFile(const QString& sSourceUrl, const QString& sLocalFile,
                                  std::function<void(const QString& problem, int status)> done)
{
    m_view.showProgress(-1);
    m_view.showBusy(true);
    m_transferClock.start();
    const auto progress = [this](qint64 received, qint64 total) {
        // Only a transfer that takes a while shows how far it has come.
        if (total > 0 && m_transferClock.elapsed() > 1000)
            m_view.showProgress(qreal(received) / qreal(total));
    };
    m_http.download(QUrl(sSourceUrl), sLocalFile, maxPictureBytes, m_install, progress,
                    [this, sSourceUrl, done = std::move(done)](const platform::HttpResult& result) {
                        m_view.showBusy(false);
                        m_view.showProgress(-1);
                        done(result.ok ? QString()
                                       : QStringLiteral("Picture %1 could not be downloaded: %2")
                                             .arg(sSourceUrl, PictureStatus::reason(result.error)),
                             result.status);
                    });
}

void PictureInstall::removeStaleDownloads() const
{
    // Left behind only by a crash in the middle of a download. Matched by hand: a name
    // filter would load the regular-expression library into every start.
    QDir dir(m_stateDir);
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (name.startsWith(StateFiles::picture + u'.') && name.endsWith(partSuffix))
            dir.remove(name);
    }
}
