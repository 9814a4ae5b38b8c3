#include "picture/PictureInstaller.h"

#include "app/Form1.h"
#include "app/TextLines.h"
#include "picture/PictureAnswer.h"
#include "picture/PictureLoader.h"
#include "platform/Http.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QLoggingCategory>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

Q_LOGGING_CATEGORY(lcInstall, "artcal.picture")

namespace {
const QString partSuffix = QStringLiteral(".download");

bool fetchable(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https");
}
} // namespace

PictureInstaller::PictureInstaller(Form1& form, platform::Http& http) : m_form(form), m_http(http)
{
    removeStaleDownloads();
}

void PictureInstaller::InstallPicture(const QString& RecordUrl, const QString& RecordText)
{
    if (m_install)
        m_install->deleteLater(); // ends the superseded install's transfers
    m_install = new QObject(this);
    m_form.Downloading->show();
    m_form.ImageAdded->show();
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
            finish(Outcome::NotInstalled);
        else
            installRecord(PictureAnswer::parse(text));
    });
}

void PictureInstaller::installRecord(const PictureRecord& record)
{
    // The picture arrives under a name of its own beside "image.jpg", which stays
    // intact until a complete, decodable picture replaces it.
    QTemporaryFile part(m_form.statePath(QStringLiteral("image.jpg.XXXXXX")) + partSuffix);
    part.setAutoRemove(false);
    if (record.pictureUrl.isEmpty() || !part.open()) {
        if (!record.pictureUrl.isEmpty())
            qCWarning(lcInstall) << "cannot create a file in" << m_form.statePath({}) << ":"
                                 << part.errorString();
        downloaded(record, {}, false);
        return;
    }
    const QString partPath = part.fileName();
    part.close();
    const QObject* install = m_install;
    DownloadFile(record.pictureUrl, partPath, [this, install, record, partPath](bool ok) {
        if (isCurrent(install))
            downloaded(record, partPath, ok);
        else
            QFile::remove(partPath);
    });
}

void PictureInstaller::downloaded(const PictureRecord& record, const QString& partPath, bool ok)
{
    if (!ok) {
        QFile::remove(partPath);
        notInstalled(record);
        return;
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
        if (!picture.isNull() && putInPlace(record, *part, picture))
            finish(Outcome::Installed);
        else
            notInstalled(record);
    });
    decoding->setFuture(PictureLoader::loadInBackground(partPath, m_form.Image1->size() *
                                                                      m_form.devicePixelRatioF()));
}

void PictureInstaller::notInstalled(const PictureRecord& record)
{
    qCWarning(lcInstall) << "no picture installed from" << record.pictureUrl;
    if (!m_form.DownloadRetried) {
        // One retry per run, and it fetches anew whatever the interval.
        m_form.DownloadRetried = true;
        m_form.Timer2->setTag(QStringLiteral("0"));
        m_form.Timer2_Timer();
        return;
    }
    finish(Outcome::NotInstalled);
}

bool PictureInstaller::putInPlace(const PictureRecord& record, const QString& partPath,
                                  const QImage& picture)
{
    const QString imagePath = m_form.statePath(QStringLiteral("image.jpg"));
    // Readable like every other state file, not private like a temporary one.
    QFile::setPermissions(partPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::ReadOther);
    if (std::rename(QFile::encodeName(partPath).constData(),
                    QFile::encodeName(imagePath).constData()) != 0) {
        qCWarning(lcInstall) << "cannot replace" << imagePath << ":" << qt_error_string();
        return false;
    }
    m_form.Image1->setPicture(picture);
    m_form.Image1->setTag(record.toTag());
    QString error;
    if (!TextLines::write(m_form.statePath(QStringLiteral("image.jpg.dat")), record.toLines(),
                          &error))
        qCWarning(lcInstall) << "cannot write image.jpg.dat:" << error;
    return true;
}

void PictureInstaller::finish(Outcome outcome)
{
    if (outcome == Outcome::Installed) {
        m_form.Picture2->setVisible(m_form.Combo2->currentIndex() == 1);
        m_form.Label10->show();
        m_form.DefaultPictureShown = false;
    }
    m_form.RearmTimer2();
    m_form.Downloading->hide();
    m_form.Label6->setEnabled(true);
    emit ended();
}

void PictureInstaller::DownloadToString(const QString& strURL,
                                        std::function<void(const QString&)> done)
{
    const QUrl url(strURL);
    if (!fetchable(url)) {
        qCWarning(lcInstall) << "cannot fetch the record from" << strURL;
        done(PictureAnswer::fromTransfer({}, false));
        return;
    }
    m_http.getText(url, PictureAnswer::answerChars, m_install,
                   [url, done = std::move(done)](const platform::HttpResult& result) {
                       if (!result.ok)
                           qCWarning(lcInstall)
                               << "no answer from" << url.toString() << ":" << result.error;
                       done(PictureAnswer::fromTransfer(result, true));
                   });
}

void PictureInstaller::DownloadFile(const QString& sSourceUrl, const QString& sLocalFile,
                                    std::function<void(bool)> done)
{
    m_form.Downloading->setProgress(-1);
    m_form.Downloading->show();
    m_form.ImageAdded->show();
    m_transferClock.start();
    const auto progress = [this](qint64 received, qint64 total) {
        // Only a transfer that takes a while shows how far it has come.
        if (total > 0 && m_transferClock.elapsed() > 1000)
            m_form.Downloading->setProgress(qreal(received) / qreal(total));
    };
    m_http.download(QUrl(sSourceUrl), sLocalFile, maxPictureBytes, m_install, progress,
                    [this, sSourceUrl, done = std::move(done)](const platform::HttpResult& result) {
                        m_form.Downloading->hide();
                        m_form.Downloading->setProgress(-1);
                        if (!result.ok)
                            qCWarning(lcInstall)
                                << "download of" << sSourceUrl << "failed:" << result.error;
                        done(result.ok);
                    });
}

void PictureInstaller::removeStaleDownloads() const
{
    // Left behind only by a crash in the middle of a download.
    QDir dir(m_form.statePath({}));
    for (const QString& name :
         dir.entryList({QStringLiteral("image.jpg.*") + partSuffix}, QDir::Files))
        dir.remove(name);
}
