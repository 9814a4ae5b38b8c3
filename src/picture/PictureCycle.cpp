// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureCycle.h"

#include "gallery/GalleryFolder.h"
#include "picture/Countdown.h"
#include "picture/PictureAnswer.h"
#include "picture/PictureLoader.h"
#include "picture/PictureStatus.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/ServerPaths.h"
#include "platform/WallClockWatch.h"
#include "platform/WebAddress.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <QFileInfo>

#include <utility>

namespace {
qint64 nowMs()
{
    return platform::clock().monotonicMs();
}
} // namespace

PictureCycle::PictureCycle(const QString& stateDir, const QString& serverBase, platform::Http& http,
                           PictureView& view)
    : m_refreshTimer(this, Countdown::tickMs, false, QStringLiteral("0")), m_stateDir(stateDir),
      m_serverBase(serverBase), m_view(view), m_install(stateDir, http, view), m_http(http),
      m_random(quint32(platform::clock().now().toMSecsSinceEpoch())), m_history(stateDir)
{
    connect(&m_refreshTimer, &QTimer::timeout, this, &PictureCycle::Timer2_Timer);
    connect(&platform::WallClockWatch::instance(), &platform::WallClockWatch::jumped, this,
            &PictureCycle::wallClockJumped);
    connect(&m_install, &PictureInstall::ended, this, &PictureCycle::installEnded);
}

void PictureCycle::loadStoredPicture()
{
    const QString imagePath = StateFiles::in(m_stateDir, StateFiles::picture);
    m_storedIsPicture = QFileInfo(imagePath).isFile();
    m_stored = PictureLoader::loadLater(m_storedIsPicture ? imagePath : placeholderPath(),
                                        m_view.pictureSize());
}

void PictureCycle::showStoredPicture()
{
    if (!m_stored.isValid())
        loadStoredPicture();
    const QImage picture = std::exchange(m_stored, {}).result();
    if (m_storedIsPicture && !picture.isNull()) {
        m_shown = storedRecord();
        m_view.showPicture(picture, m_shown);
        return;
    }
    // No usable picture yet: the placeholder, which cannot be saved to the gallery.
    m_view.showPicture(
        m_storedIsPicture ? PictureLoader::load(placeholderPath(), m_view.pictureSize()) : picture,
        std::nullopt);
    m_placeholderShown = true;
}

QString PictureCycle::placeholderPath() const
{
    return StateFiles::in(m_stateDir, StateFiles::placeholder);
}

std::optional<PictureRecord> PictureCycle::storedRecord() const
{
    const QString path = StateFiles::in(m_stateDir, StateFiles::record);
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
    // A new user should not wait an interval for the first picture, nor anyone for a
    // picture the interval should have replaced while the widget was not running; without
    // a timed interval the first tick fetches.
    if (m_placeholderShown || pictureOutdated() || !m_refreshTimer.isActive())
        setDue(nowMs());
    m_refreshTimer.setEnabled(true);
    showStatus();
}

Countdown::Arm PictureCycle::intervalArm() const
{
    const PictureView::Choices choices = m_view.choices();
    return Countdown::forInterval(choices.interval, choices.intervals);
}

bool PictureCycle::pictureOutdated() const
{
    const Countdown::Arm arm = intervalArm();
    if (arm.arming != Countdown::Arming::Timed)
        return false;
    const QDateTime fetched =
        QFileInfo(StateFiles::in(m_stateDir, StateFiles::picture)).lastModified();
    return fetched.addMSecs(arm.ms) <= platform::clock().now();
}

void PictureCycle::showBadge()
{
    // The words "My Gallery" come with the first picture this run installs.
    if (!m_placeholderShown && m_view.choices().source != PictureView::Choices::myGallery)
        m_view.setBadge(PictureView::Badge::Hidden);
    else
        m_view.setBadge(m_installed ? PictureView::Badge::MyGallery : PictureView::Badge::Cover);
}

void PictureCycle::showStatus()
{
    QDateTime nextTry;
    if (m_refreshTimer.isActive() && !m_refreshing)
        nextTry = platform::clock().now().addMSecs(msLeft());
    m_view.showStatus(PictureStatus::text({m_shown, m_problem, nextTry, m_metered, m_notices}));
}

void PictureCycle::RearmTimer2()
{
    const Countdown::Arm arm = intervalArm();
    if (arm.arming == Countdown::Arming::Manual) {
        m_refreshTimer.setEnabled(false);
    } else if (arm.arming == Countdown::Arming::Timed) {
        setDue(nowMs() + arm.ms);
        m_refreshTimer.setEnabled(true);
    }
}

void PictureCycle::Timer2_Timer()
{
    countDown(true);
}

void PictureCycle::wallClockJumped()
{
    if (!m_refreshTimer.isActive())
        return; // a refresh on its way, or no timed interval: nothing counts down
    countDown(false);
    showStatus(); // when the next refresh comes, on the wall clock now shown
}

void PictureCycle::countDown(bool ticked)
{
    const qint64 elapsedMs = nowMs() - m_countedMs;
    const qint64 pausedMs = m_counted.msecsTo(platform::clock().now()) - elapsedMs;
    setDue(ticked ? Countdown::dueAfterTick(m_dueMs, elapsedMs, pausedMs)
                  : Countdown::dueAfterPause(m_dueMs, pausedMs));
    // On a metered connection the countdown stays at zero: the first tick after the
    // connection changes fetches.
    if (!isDue() || m_metered)
        return;
    refresh();
}

void PictureCycle::setDue(qint64 dueMs)
{
    m_dueMs = dueMs;
    m_counted = platform::clock().now();
    m_countedMs = nowMs();
    const qint64 ticks = Countdown::ticksLeft(msLeft());
    m_refreshTimer.setTag(QString::number(ticks));
    // The timer sleeps until the countdown runs out; held back by a metered
    // connection, until the connection changes.
    m_refreshTimer.sleepFor(m_metered && ticks == 0 ? TagTimer::longestSleepMs()
                                                    : Countdown::sleepMs(ticks));
}

qint64 PictureCycle::msLeft() const
{
    return std::max<qint64>(m_dueMs - nowMs(), 0);
}

bool PictureCycle::isDue() const
{
    return Countdown::ticksLeft(msLeft()) == 0;
}

void PictureCycle::refreshNow()
{
    if (!m_refreshEnabled)
        return; // as the refresh button, the keys and the menu wait for a gallery install
    setDue(nowMs());
    refresh();
}

void PictureCycle::refresh()
{
    // A newer refresh supersedes the one running, and a history entry on its way: only
    // the newest ends the cycle.
    m_install.cancel();
    m_entryShown = -1;
    m_refreshing = true;
    m_notices.clear();
    m_galleryTried.clear();
    // Neither the refresh button nor the timer may start a second refresh meanwhile.
    enableRefresh(false);
    RearmTimer2();
    m_refreshTimer.setEnabled(false);
    m_view.showBusy(true);

    // An older pick still on its way is cancelled: whatever it brings, it must not end
    // this refresh, even when it went to the same address.
    m_pageRequest.reset();
    const PictureView::Choices choices = m_view.choices();
    if (choices.source == PictureView::Choices::myGallery) {
        refreshFromGallery(); // the install's end enables the refresh button again
        return;
    }
    m_categoryQuery.clear();
    m_pickCategory.clear();
    if (choices.source > PictureView::Choices::myGallery) {
        m_pickCategory = PictureAnswer::trimSpaces(choices.category);
        m_categoryQuery = PictureAnswer::categoryQuery(choices.category);
    }
    m_pageRequest = std::make_unique<platform::PageRequest>(m_http);
    connect(m_pageRequest.get(), &platform::PageRequest::navigateComplete, this,
            &PictureCycle::WB1_NavigateComplete2);
    connect(m_pageRequest.get(), &platform::PageRequest::navigateFailed, this,
            &PictureCycle::WB1_NavigateFailed);
    m_pageRequest->navigate(expectedAddress());
    enableRefresh(true);
}

void PictureCycle::enableRefresh(bool enabled)
{
    m_refreshEnabled = enabled;
    m_view.enableRefresh(enabled);
}

void PictureCycle::applyChoices()
{
    m_categoryQuery.clear();
    showBadge();
    setDue(nowMs());
    // A timed interval chosen after "Manual Update" had stopped the timer starts it; a
    // refresh on its way arms it when it ends.
    if (!m_refreshing && intervalArm().arming == Countdown::Arming::Timed)
        m_refreshTimer.setEnabled(true);
    showStatus();
}

void PictureCycle::networkImproved()
{
    if (m_failures > 0 && m_refreshTimer.isActive() && !m_metered)
        refreshNow();
}

void PictureCycle::setMetered(bool metered)
{
    m_metered = metered;
    if (m_refreshTimer.isActive() && isDue())
        setDue(m_dueMs); // a due refresh sleeps while held back, then goes
    showStatus();
}

void PictureCycle::tell(const QString& notice)
{
    m_notices << notice;
    showStatus();
}

void PictureCycle::refreshFromGallery()
{
    const QString folder = StateFiles::in(m_stateDir, StateFiles::gallery);
    QStringList files = GalleryFolder::files(folder);
    if (files.isEmpty())
        return finish(Ending::NothingNew,
                      QStringLiteral("My Gallery is empty: save a picture to it first"));
    files.removeIf([this](const QString& name) { return m_galleryTried.contains(name); });
    if (files.isEmpty())
        return finish(Ending::NothingNew,
                      QStringLiteral("No picture saved in My Gallery is on the picture server "
                                     "any more"));
    const QString name = files[int(m_random.bounded(quint32(files.size())))];
    m_galleryTried << name;
    const std::optional<PictureRecord> record = GalleryFolder::readRecord(folder + u'/' + name);
    if (!record)
        qCWarning(lcPicture) << "cannot read the gallery file" << name;
    m_install.InstallPicture(name, record.value_or(PictureRecord{}).toLines().join(u'\n'));
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
    return QUrl(randomPickAddress() + m_categoryQuery);
}

void PictureCycle::WB1_NavigateComplete2(const QUrl& URL)
{
    m_pageRequest.release()->deleteLater(); // it reported: the pick is no longer on its way
    if (URL != expectedAddress())
        return finish(Ending::Superseded);
    m_install.InstallPicture(currentPictureAddress(), {});
    m_categoryQuery.clear();
}

void PictureCycle::WB1_NavigateFailed(const QUrl&, const QString& error)
{
    m_pageRequest.release()->deleteLater();
    finish(Ending::Failed, PictureStatus::notReachable(m_serverBase, error));
}

void PictureCycle::previousPicture()
{
    showEntry(m_history.cursor() - 1);
}

void PictureCycle::nextPicture()
{
    showEntry(m_history.cursor() + 1);
}

void PictureCycle::showDay(const QDate& day)
{
    showEntry(m_history.lastOf(day));
}

void PictureCycle::clearHistory()
{
    m_history.clear();
    emit historyChanged();
}

void PictureCycle::showEntry(int index, bool fromCopy)
{
    if (m_refreshing || index < 0 || index >= m_history.entries().size() ||
        index == m_history.cursor())
        return;
    m_entryShown = index;
    const PictureRecord& record = m_history.entries()[index].record;
    const QString copy = fromCopy ? m_history.copyPath(index) : QString();
    m_entryFromCopy = !copy.isEmpty();
    if (m_entryFromCopy)
        m_install.installCopy(record, copy);
    else
        m_install.InstallPicture(record.pictureUrl, record.toLines().join(u'\n'));
}

void PictureCycle::entryShown(bool shown, const PictureRecord& record, const QString& problem)
{
    const int index = std::exchange(m_entryShown, -1);
    if (!shown && m_entryFromCopy)
        return showEntry(index, false); // a damaged copy: the picture's address instead
    if (shown) {
        m_history.show(index);
        pictureShown(record);
        emit historyChanged();
    } else {
        m_problem = problem;
    }
    m_view.showBusy(false);
    showStatus();
}

void PictureCycle::pictureShown(const PictureRecord& record)
{
    m_shown = record;
    m_placeholderShown = false;
    m_installed = true;
    showBadge();
}

void PictureCycle::installEnded(PictureInstall::Outcome outcome, const PictureRecord& record,
                                const QString& problem)
{
    if (m_entryShown >= 0)
        return entryShown(outcome == PictureInstall::Outcome::Installed, record, problem);
    if (outcome == PictureInstall::Outcome::Installed) {
        pictureShown(record);
        m_history.add(record, platform::clock().now(),
                      StateFiles::in(m_stateDir, StateFiles::picture));
        emit historyChanged();
        emit installed(record);
        return finish(Ending::Installed);
    }
    if (outcome == PictureInstall::Outcome::Gone && !m_galleryTried.isEmpty()) {
        // A saved picture that its server no longer keeps: the next one instead.
        m_notices << QStringLiteral("Saved picture %1 is no longer on the picture server: "
                                    "skipped")
                         .arg(record.credits.title.isEmpty() ? record.pictureUrl
                                                             : record.credits.title);
        return refreshFromGallery();
    }
    if (outcome == PictureInstall::Outcome::NothingOffered)
        return finish(
            Ending::NothingNew,
            PictureStatus::nothingOffered(platform::siteOf(QUrl(m_serverBase)), m_pickCategory));
    if (!m_downloadRetried) {
        // One retry at once per run, and it fetches anew whatever the interval.
        m_downloadRetried = true;
        return refresh();
    }
    finish(Ending::Failed, problem);
}

void PictureCycle::finish(Ending ending, const QString& problem)
{
    m_refreshing = false;
    m_problem = problem;
    RearmTimer2();
    if (ending == Ending::Failed)
        ++m_failures;
    else if (ending != Ending::Superseded)
        m_failures = 0;
    if (m_refreshTimer.isActive() && ending == Ending::Failed)
        setDue(nowMs() + Countdown::afterFailure(m_failures, msLeft()));
    else if (m_refreshTimer.isActive() && ending == Ending::Superseded)
        setDue(nowMs()); // the next tick asks with the new choices
    m_view.showBusy(false);
    enableRefresh(true);
    showStatus();
    emit ended();
}
