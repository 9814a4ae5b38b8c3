// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/Wallpaper.h"

#include "picture/PictureInstall.h"
#include "picture/PictureStatus.h"
#include "platform/AtomicFile.h"
#include "platform/Http.h"
#include "platform/Logging.h"
#include "platform/WebAddress.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"
#include "wallpaper/DesktopChoice.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>

namespace {
const QString partSuffix = QStringLiteral(".download");
const QString recordSuffix = QStringLiteral(".dat");

QString notSet(const QString& why)
{
    return QStringLiteral("Wallpaper not set: %1").arg(why);
}
} // namespace

Wallpaper::Wallpaper(const Options& options, platform::Http& http)
    : m_options(options), m_http(http),
      m_state(WallpaperState::read(StateFiles::in(options.stateDir, StateFiles::wallpaper)))
{
    const std::unique_ptr<wallpaper::Desktop> probe = wallpaper::chooseDesktop(
        options.currentDesktop, options.x11, this, options.toolLimit, &m_unavailable);
    if (probe)
        m_desktopName = probe->name();
    // Left behind only by a crash in the middle of a download.
    QDir dir(folder());
    for (const QString& name : dir.entryList({u'*' + partSuffix}, QDir::Files))
        dir.remove(name);
}

Wallpaper::~Wallpaper() = default;

QString Wallpaper::folder() const
{
    return StateFiles::in(m_options.stateDir, StateFiles::wallpapers);
}

QString Wallpaper::statePath() const
{
    return StateFiles::in(m_options.stateDir, StateFiles::wallpaper);
}

wallpaper::Desktop& Wallpaper::desktop() const
{
    return *m_attempt->desktop;
}

bool Wallpaper::begin()
{
    if (m_attempt) {
        // Its transfer and tools end now (a tool still running is killed); the object
        // itself later, for this may run inside one of its callbacks.
        m_http.cancel(m_attempt);
        qDeleteAll(m_attempt->findChildren<QProcess*>());
        m_attempt->deleteLater();
    }
    m_attempt = new Attempt;
    m_attempt->setParent(this);
    QString why;
    m_attempt->desktop = wallpaper::chooseDesktop(m_options.currentDesktop, m_options.x11,
                                                  m_attempt, m_options.toolLimit, &why);
    if (!m_attempt->desktop)
        emit outcome(why);
    return m_attempt->desktop != nullptr;
}

void Wallpaper::fail(const QString& why, const QString& file)
{
    qCWarning(lcState).noquote() << "wallpaper:" << why;
    if (!file.isEmpty()) {
        QFile::remove(file);
        QFile::remove(file + recordSuffix);
    }
    emit outcome(why);
}

void Wallpaper::set(const PictureRecord& record)
{
    if (!begin())
        return;
    if (m_offline)
        return fail(notSet(QStringLiteral("the computer is offline")));
    if (m_metered)
        return fail(notSet(QStringLiteral("the connection is metered")));
    if (!platform::isWebAddress(QUrl(record.pictureUrl)))
        return fail(notSet(QStringLiteral("the picture has no address to fetch it from")));
    const QSize screen = m_options.largestScreen ? m_options.largestScreen() : QSize();
    if (screen.isEmpty())
        return fail(notSet(QStringLiteral("there is no screen to size it for")));
    QString error;
    // A new name each time: a desktop that caches by name shows the new picture. Its
    // suffix comes once the picture is here.
    const QString base = QStringLiteral("%1/wallpaper-%2")
                             .arg(folder())
                             .arg(QDateTime::currentMSecsSinceEpoch(), 15, 10, QLatin1Char('0'));
    std::optional<QString> part;
    if (QDir().mkpath(folder()))
        part = platform::AtomicFile::createTemporary(base, partSuffix, &error);
    if (!part)
        return fail(
            notSet(QStringLiteral("cannot write in %1%2")
                       .arg(folder(), error.isEmpty() ? QString() : QStringLiteral(": ") + error)));
    const QObject* attempt = m_attempt;
    m_http.download(
        QUrl(platform::sizedPictureUrl(record.pictureUrl, screen)), *part,
        PictureInstall::maxPictureBytes, m_attempt, {},
        [this, attempt, record, part = *part, base](const platform::HttpResult& result) {
            if (!isCurrent(attempt))
                return void(QFile::remove(part));
            if (!result.ok)
                return fail(notSet(QStringLiteral("the picture could not be fetched: %1")
                                       .arg(PictureStatus::reason(result.error))),
                            part);
            downloaded(record, part, base);
        });
}

void Wallpaper::downloaded(const PictureRecord& record, const QString& part, const QString& base)
{
    // Only a picture goes to the desktop; the size is read from its header.
    QImageReader reader(part);
    if (reader.size().isEmpty())
        return fail(notSet(QStringLiteral("the picture server sent no picture")), part);
    const QByteArray format = reader.format();
    const QString file = base + u'.' + QString::fromLatin1(format == "jpeg" ? "jpg" : format);
    QString error;
    // The picture keeps its record and credits beside it, as the installed one does.
    if (!platform::AtomicFile::moveIntoPlace(part, file, &error) ||
        !TextLines::write(file + recordSuffix, record.toLines(), &error))
        return fail(notSet(QStringLiteral("cannot write in %1: %2").arg(folder(), error)), file);
    // What the desktop shows now: kept before the first wallpaper there, and put back
    // should this one fail half-way.
    const QObject* attempt = m_attempt;
    desktop().read([this, attempt, file](const QStringList& values, const QString& problem) {
        if (!isCurrent(attempt))
            return;
        if (!problem.isEmpty())
            return fail(notSet(problem), file);
        if (!m_state.before.contains(m_desktopName)) {
            WallpaperState state = m_state;
            state.before[m_desktopName] = values;
            QString error;
            if (!state.write(statePath(), &error))
                return fail(notSet(QStringLiteral("cannot keep the wallpaper to restore: %1")
                                       .arg(PictureStatus::reason(error))),
                            file);
            m_state = state;
        }
        showFile(file, values);
    });
}

void Wallpaper::showFile(const QString& file, const QStringList& shown)
{
    const QObject* attempt = m_attempt;
    desktop().show(file, [this, attempt, file, shown](const QString& problem) {
        if (!isCurrent(attempt))
            return;
        if (!problem.isEmpty()) {
            // A desktop that failed half-way may show the file: it goes only once what
            // was shown before is back.
            return desktop().restore(shown, [this, attempt, file, problem](const QString& left) {
                if (isCurrent(attempt))
                    fail(notSet(problem), left.isEmpty() ? file : QString());
            });
        }
        const QString previous = m_state.current;
        m_state.current = QFileInfo(file).fileName();
        QString error;
        if (!m_state.write(statePath(), &error))
            qCWarning(lcState) << "cannot keep the wallpaper's name:" << error;
        keepOnly({m_state.current, previous});
        emit changed(file);
        emit outcome(QStringLiteral("Wallpaper set"));
    });
}

void Wallpaper::keepOnly(const QStringList& names) const
{
    QDir dir(folder());
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QString picture =
            name.endsWith(recordSuffix) ? name.chopped(recordSuffix.size()) : name;
        if (!names.contains(picture))
            dir.remove(name);
    }
}

void Wallpaper::follow(bool on)
{
    WallpaperState state = m_state;
    state.follow = on;
    QString error;
    if (!state.write(statePath(), &error))
        return fail(QStringLiteral("Cannot keep the wallpaper choice: %1")
                        .arg(PictureStatus::reason(error)));
    m_state = state;
    if (!on)
        m_waiting.reset();
}

void Wallpaper::newPicture(const PictureRecord& record)
{
    if (!m_state.follow)
        return;
    if (!m_metered)
        return set(record);
    m_waiting = record;
    emit outcome(notSet(QStringLiteral("the connection is metered; the new picture waits")));
}

void Wallpaper::setMetered(bool metered)
{
    m_metered = metered;
    if (!metered && m_waiting)
        set(*std::exchange(m_waiting, std::nullopt));
}

void Wallpaper::setOffline(bool offline)
{
    m_offline = offline;
}

void Wallpaper::restore()
{
    if (!begin())
        return;
    const auto before = m_state.before.constFind(m_desktopName);
    if (before == m_state.before.cend())
        return fail(QStringLiteral("Nothing to restore: artcal has not set a wallpaper on %1")
                        .arg(m_desktopName));
    const QObject* attempt = m_attempt;
    desktop().restore(*before, [this, attempt](const QString& problem) {
        if (!isCurrent(attempt))
            return;
        if (!problem.isEmpty())
            return fail(QStringLiteral("Wallpaper not restored: %1").arg(problem));
        emit outcome(QStringLiteral("Wallpaper restored"));
    });
}
