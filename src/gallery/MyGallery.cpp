// SPDX-License-Identifier: GPL-3.0-or-later
#include "gallery/MyGallery.h"

#include "controls/ImageBox.h"
#include "controls/SkinLabel.h"
#include "gallery/GalleryFolder.h"
#include "gallery/GalleryRules.h"
#include "platform/Clock.h"
#include "platform/Logging.h"
#include "platform/UrlOpener.h"
#include "state/PictureRecord.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <QDir>

MyGallery::MyGallery(const Controls& controls, const QString& stateDir, const QString& serverBase)
    : m_controls(controls), m_folder(StateFiles::in(stateDir, StateFiles::gallery)),
      m_serverBase(serverBase)
{
    m_blink.setSingleShot(true);
    connect(&m_blink, &QTimer::timeout, this, &MyGallery::Blink_Timer);
    connect(controls.saveButton, &HotSpot::clicked, this, &MyGallery::Label9_Click);
    connect(controls.galleryButton, &HotSpot::clicked, this, &MyGallery::Label2_Click);
}

void MyGallery::Label9_Click()
{
    const QString tag = m_controls.picture->tag();
    if (tag.isEmpty())
        return;
    const PictureRecord record = PictureRecord::fromTag(tag);
    const QString path = m_folder + u'/' + GalleryRules::fileName(record.pictureUrl);
    QString error;
    if (!QDir().mkpath(m_folder) || !TextLines::write(path, record.toLines(), &error)) {
        // Only a save that happened is confirmed.
        qCWarning(lcGallery) << "cannot save" << path << ":"
                             << (error.isEmpty() ? QStringLiteral("no folder") : error);
        return;
    }
    m_controls.busyLabel->hide();
    m_blinkStart = platform::clock().monotonicMs();
    Blink_Timer();
}

bool MyGallery::shownIsSaved() const
{
    const QString tag = m_controls.picture->tag();
    if (tag.isEmpty())
        return false;
    const PictureRecord shown = PictureRecord::fromTag(tag);
    const std::optional<PictureRecord> saved =
        GalleryFolder::readRecord(m_folder + u'/' + GalleryRules::fileName(shown.pictureUrl));
    // A file saved before the server sent credits, or with older ones, still holds it.
    return saved && saved->isSamePicture(shown);
}

void MyGallery::removeShown()
{
    if (!shownIsSaved())
        return;
    const QString name =
        GalleryRules::fileName(PictureRecord::fromTag(m_controls.picture->tag()).pictureUrl);
    if (!QDir(m_folder).remove(name))
        qCWarning(lcGallery) << "cannot remove" << name << "from" << m_folder;
}

void MyGallery::Blink_Timer()
{
    if (!blinking())
        return;
    const qint64 elapsed = platform::clock().monotonicMs() - m_blinkStart;
    m_controls.addedCover->setVisible(!GalleryRules::wordsShown(elapsed));
    if (elapsed >= GalleryRules::blinkMs) {
        m_blinkStart = -1;
        return;
    }
    m_blink.start(int(GalleryRules::nextBlinkChange(elapsed) - elapsed));
}

void MyGallery::Label2_Click()
{
    QStringList ids;
    for (const QString& name : GalleryFolder::files(m_folder)) {
        const std::optional<PictureRecord> record =
            GalleryFolder::readRecord(m_folder + u'/' + name);
        if (record)
            ids << record->field3;
        else
            qCWarning(lcGallery) << "cannot read the gallery file" << name;
    }
    if (!ids.isEmpty())
        platform::openUrl(QUrl(GalleryRules::pageAddress(m_serverBase, ids)));
}
