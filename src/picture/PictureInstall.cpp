#include "picture/PictureInstall.h"

#include "picture/PictureAnswer.h"
#include "picture/PictureLoader.h"
#include "picture/PictureView.h"
#include "platform/Http.h"
#include "platform/Logging.h"
#include "platform/WebAddress.h"
#include "state/AtomicFile.h"
#include "state/TextLines.h"

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
    removeStaleDownloads();
}

void PictureInstall::InstallPicture(const QString& RecordUrl, const QString& RecordText)
{
    if (m_install)
        m_install->deleteLater(); // ends the superseded install's transfers
    m_install = new QObject(this);
    m_view.showBusy(true);
    if (!RecordText.isEmpty()) {
        installRecord(PictureAnswer::parse(RecordText));
        return;
    }
    const QObject* install = m_install;
    DownloadToString(RecordUrl, [this, install](const QString& answer) {
        if (!isCurrent(install))
            return;
        const QString text = PictureAnswer::trimSpaces(answer);
        if (text == PictureAnswer::nothingOffered)
            end(Outcome::NothingOffered);
        else
            installRecord(PictureAnswer::parse(text));
    });
}

void PictureInstall::installRecord(const PictureRecord& record)
{
    // The picture arrives under a name of its own beside "image.jpg", which stays
    // intact until a complete, decodable picture replaces it.
    if (record.pictureUrl.isEmpty())
        return downloaded(record, {}, false);
    QString error;
    const std::optional<QString> part =
        AtomicFile::createTemporary(statePath(QStringLiteral("image.jpg")), partSuffix, &error);
    if (!part) {
        qCWarning(lcPicture) << "cannot create a file in" << m_stateDir << ":" << error;
        return downloaded(record, {}, false);
    }
    const QObject* install = m_install;
    DownloadFile(record.pictureUrl, *part, [this, install, record, part = *part](bool ok) {
        if (isCurrent(install))
            downloaded(record, part, ok);
        else
            QFile::remove(part);
    });
}

void PictureInstall::downloaded(const PictureRecord& record, const QString& partPath, bool ok)
{
    if (!ok) {
        QFile::remove(partPath);
        return end(Outcome::Failed, record);
    }
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
        const bool installed = !picture.isNull() && putInPlace(record, *part, picture);
        end(installed ? Outcome::Installed : Outcome::Failed, record);
    });
    decoding->setFuture(PictureLoader::loadInBackground(partPath, m_view.pictureSize()));
}

bool PictureInstall::putInPlace(const PictureRecord& record, const QString& partPath,
                                const QImage& picture)
{
    const QString imagePath = statePath(QStringLiteral("image.jpg"));
    QString error;
    if (!AtomicFile::moveIntoPlace(partPath, imagePath, &error)) {
        qCWarning(lcPicture) << "cannot replace" << imagePath << ":" << error;
        return false;
    }
    m_view.showPicture(picture, record);
    if (!TextLines::write(statePath(QStringLiteral("image.jpg.dat")), record.toLines(), &error))
        qCWarning(lcPicture) << "cannot write image.jpg.dat:" << error;
    return true;
}

void PictureInstall::end(Outcome outcome, const PictureRecord& record)
{
    if (m_install)
        m_install->deleteLater();
    m_install = nullptr;
    emit ended(outcome, record);
}

void PictureInstall::DownloadToString(const QString& strURL,
                                      std::function<void(const QString&)> done)
{
    const QUrl url(strURL);
    if (!platform::isWebAddress(url)) {
        qCWarning(lcPicture) << "cannot fetch the record from" << strURL;
        done(PictureAnswer::fromTransfer({}, false));
        return;
    }
    m_http.getText(url, PictureAnswer::answerChars, m_install,
                   [url, done = std::move(done)](const platform::HttpResult& result) {
                       if (!result.ok)
                           qCWarning(lcPicture)
                               << "no answer from" << url.toString() << ":" << result.error;
                       done(PictureAnswer::fromTransfer(result, true));
                   });
}

void PictureInstall::DownloadFile(const QString& sSourceUrl, const QString& sLocalFile,
                                  std::function<void(bool)> done)
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
                        if (!result.ok)
                            qCWarning(lcPicture)
                                << "download of" << sSourceUrl << "failed:" << result.error;
                        done(result.ok);
                    });
}

void PictureInstall::removeStaleDownloads() const
{
    // Left behind only by a crash in the middle of a download.
    QDir dir(m_stateDir);
    for (const QString& name :
         dir.entryList({QStringLiteral("image.jpg.*") + partSuffix}, QDir::Files))
        dir.remove(name);
}
