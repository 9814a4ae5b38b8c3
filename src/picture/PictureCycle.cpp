#include "picture/PictureCycle.h"

#include "gallery/GalleryFolder.h"
#include "picture/Countdown.h"
#include "picture/PictureAnswer.h"
#include "picture/PictureLoader.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/ServerPaths.h"
#include "state/TextLines.h"

#include <QFileInfo>

PictureCycle::PictureCycle(const QString& stateDir, const QString& serverBase, platform::Http& http,
                           PictureView& view)
    : Timer2(this, Countdown::tickMs, false, QStringLiteral("0")), m_stateDir(stateDir),
      m_serverBase(serverBase), m_view(view), m_install(stateDir, http, view), m_wb1(http),
      m_random(quint32(platform::clock().now().toMSecsSinceEpoch()))
{
    connect(&Timer2, &QTimer::timeout, this, &PictureCycle::Timer2_Timer);
    connect(&m_install, &PictureInstall::ended, this, &PictureCycle::installEnded);
    connect(&m_wb1, &platform::PageRequest::navigateComplete, this,
            &PictureCycle::WB1_NavigateComplete2);
    connect(&m_wb1, &platform::PageRequest::navigateFailed, this,
            &PictureCycle::WB1_NavigateFailed);
}

void PictureCycle::showStoredPicture()
{
    const QString imagePath = m_stateDir + QStringLiteral("/image.jpg");
    const QSize shown = m_view.pictureSize();
    if (QFileInfo(imagePath).isFile()) {
        const QImage picture = PictureLoader::load(imagePath, shown);
        if (!picture.isNull()) {
            m_view.showPicture(picture, storedRecord());
            return;
        }
    }
    // No usable picture yet: the placeholder, which cannot be saved to the gallery.
    m_view.showPicture(PictureLoader::load(m_stateDir + QStringLiteral("/default.jpg"), shown),
                       std::nullopt);
    DefaultPictureShown = true;
}

std::optional<PictureRecord> PictureCycle::storedRecord() const
{
    const QString path = m_stateDir + QStringLiteral("/image.jpg.dat");
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const std::optional<QStringList> lines = TextLines::read(path);
    if (!lines) {
        qCWarning(lcState) << "cannot read" << path;
        return std::nullopt;
    }
    return PictureRecord::fromLines(*lines);
}

void PictureCycle::start()
{
    showBadge();
    RearmTimer2();
    // A new user should not wait an interval for the first picture.
    if (DefaultPictureShown)
        Timer2.setTag(QStringLiteral("0"));
    Timer2.setEnabled(true);
}

void PictureCycle::showBadge()
{
    // The words "My Gallery" come with the first picture this run installs.
    if (!DefaultPictureShown && m_view.choices().source != PictureView::Choices::myGallery)
        m_view.setBadge(PictureView::Badge::Hidden);
    else
        m_view.setBadge(m_installed ? PictureView::Badge::MyGallery : PictureView::Badge::Cover);
}

void PictureCycle::RearmTimer2()
{
    const PictureView::Choices choices = m_view.choices();
    const Countdown::Arm arm = Countdown::forInterval(choices.interval, choices.intervals);
    if (arm.arming == Countdown::Arming::Manual) {
        Timer2.setEnabled(false);
    } else if (arm.arming == Countdown::Arming::Timed) {
        Timer2.setTag(arm.ticks);
        Timer2.setEnabled(true);
    }
}

void PictureCycle::Timer2_Timer()
{
    Timer2.setTag(Countdown::afterTick(Timer2.tag()));
    if (Timer2.tag() != u"0")
        return;

    // Neither the refresh button nor the timer may start a second refresh meanwhile.
    m_view.enableRefresh(false);
    RearmTimer2();
    Timer2.setEnabled(false);
    m_view.showBusy(true);

    const PictureView::Choices choices = m_view.choices();
    if (choices.source == PictureView::Choices::myGallery) {
        refreshFromGallery(); // the install's end enables the refresh button again
        return;
    }
    CategoryQuery.clear();
    if (choices.source > PictureView::Choices::myGallery)
        CategoryQuery = PictureAnswer::categoryQuery(choices.category);
    m_wb1.navigate(expectedAddress());
    m_view.enableRefresh(true);
}

void PictureCycle::refreshNow()
{
    m_view.showBusy(true);
    Timer2.setEnabled(false);
    Timer2.setTag(QStringLiteral("0"));
    Timer2_Timer();
}

void PictureCycle::applyChoices()
{
    CategoryQuery.clear();
    showBadge();
    Timer2.setTag(QStringLiteral("0"));
}

void PictureCycle::refreshFromGallery()
{
    const QString folder = m_stateDir + QStringLiteral("/MyGallery");
    const QStringList files = GalleryFolder::files(folder);
    if (files.isEmpty()) {
        qCInfo(lcPicture) << "My Gallery is empty; nothing to show";
        finish(Outcome::NotInstalled);
        return;
    }
    const QString name = files[int(m_random.bounded(quint32(files.size())))];
    const std::optional<QStringList> lines = GalleryFolder::readRecord(folder + u'/' + name);
    if (!lines)
        qCWarning(lcPicture) << "cannot read the gallery file" << name;
    m_install.InstallPicture(name, lines.value_or(QStringList(4)).join(u'\n'));
}

QString PictureCycle::randomPickAddress() const
{
    return m_serverBase + ServerPaths::randomPick;
}

QString PictureCycle::currentPictureAddress() const
{
    return m_serverBase + ServerPaths::currentRecord;
}

QUrl PictureCycle::expectedAddress() const
{
    return QUrl(randomPickAddress() + CategoryQuery);
}

void PictureCycle::WB1_NavigateComplete2(const QUrl& URL)
{
    if (URL.toEncoded() != expectedAddress().toEncoded())
        return;
    m_install.InstallPicture(currentPictureAddress(), {});
    CategoryQuery.clear();
}

void PictureCycle::WB1_NavigateFailed(const QUrl& requested)
{
    if (requested.toEncoded() != expectedAddress().toEncoded())
        return;
    qCWarning(lcPicture) << "the picture server did not answer" << requested.toString();
    finish(Outcome::NotInstalled);
}

void PictureCycle::installEnded(PictureInstall::Outcome outcome, const PictureRecord& record)
{
    if (outcome == PictureInstall::Outcome::Installed)
        return finish(Outcome::Installed);
    if (outcome == PictureInstall::Outcome::NothingOffered)
        return finish(Outcome::NotInstalled);
    qCWarning(lcPicture) << "no picture installed from" << record.pictureUrl;
    if (!DownloadRetried) {
        // One retry per run, and it fetches anew whatever the interval.
        DownloadRetried = true;
        Timer2.setTag(QStringLiteral("0"));
        Timer2_Timer();
        return;
    }
    finish(Outcome::NotInstalled);
}

void PictureCycle::finish(Outcome outcome)
{
    if (outcome == Outcome::Installed) {
        DefaultPictureShown = false;
        m_installed = true;
        showBadge();
    }
    RearmTimer2();
    m_view.showBusy(false);
    m_view.enableRefresh(true);
    emit ended();
}
