#include "gallery/MyGallery.h"

#include "app/Form1.h"
#include "app/TextLines.h"
#include "gallery/GalleryFolder.h"
#include "gallery/GalleryRules.h"
#include "picture/PictureRecord.h"
#include "platform/Clock.h"
#include "platform/UrlOpener.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcGallery, "artcal.gallery")

MyGallery::MyGallery(Form1& form) : m_form(form)
{
    m_blink.setSingleShot(true);
    connect(&m_blink, &QTimer::timeout, this, &MyGallery::Blink_Timer);
    connect(m_form.Label9, &HotSpot::clicked, this, &MyGallery::Label9_Click);
    connect(m_form.Label2, &HotSpot::clicked, this, &MyGallery::Label2_Click);
}

QString MyGallery::folder() const
{
    return m_form.statePath(QStringLiteral("MyGallery"));
}

void MyGallery::Label9_Click()
{
    const QString tag = m_form.Image1->tag();
    if (tag.isEmpty())
        return;
    const PictureRecord record = PictureRecord::fromTag(tag);
    const QString path = folder() + u'/' + GalleryRules::fileName(record.pictureUrl);
    QString error;
    if (!QDir().mkpath(folder()) || !TextLines::write(path, record.toLines(), &error)) {
        // Only a save that happened is confirmed.
        qCWarning(lcGallery) << "cannot save" << path << ":"
                             << (error.isEmpty() ? QStringLiteral("no folder") : error);
        return;
    }
    m_form.Downloading->hide();
    m_blinkStart = platform::clock().monotonicMs();
    Blink_Timer();
}

void MyGallery::Blink_Timer()
{
    if (!blinking())
        return;
    const qint64 elapsed = platform::clock().monotonicMs() - m_blinkStart;
    m_form.ImageAdded->setVisible(!GalleryRules::wordsShown(elapsed));
    if (elapsed >= GalleryRules::blinkMs) {
        m_blinkStart = -1;
        return;
    }
    m_blink.start(int(GalleryRules::nextBlinkChange(elapsed) - elapsed));
}

void MyGallery::Label2_Click()
{
    QStringList ids;
    for (const QString& name : GalleryFolder::files(folder())) {
        const std::optional<QStringList> record = GalleryFolder::readRecord(folder() + u'/' + name);
        if (record)
            ids << record->at(2);
        else
            qCWarning(lcGallery) << "cannot read the gallery file" << name;
    }
    if (!ids.isEmpty())
        platform::openUrl(QUrl(GalleryRules::pageAddress(m_form.serverBase(), ids)));
}
