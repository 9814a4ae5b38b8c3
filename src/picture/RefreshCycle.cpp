#include "picture/RefreshCycle.h"

#include "app/Form1.h"
#include "gallery/GalleryFolder.h"
#include "picture/Countdown.h"
#include "picture/PictureAnswer.h"
#include "picture/PictureInstaller.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCycle, "artcal.picture")

RefreshCycle::RefreshCycle(Form1& form, platform::Http& http, PictureInstaller& installer)
    : m_form(form), m_installer(installer), m_wb1(http)
{
    connect(&m_wb1, &platform::PageRequest::navigateComplete, this,
            &RefreshCycle::WB1_NavigateComplete2);
    connect(&m_wb1, &platform::PageRequest::navigateFailed, this,
            &RefreshCycle::WB1_NavigateFailed);
}

QString RefreshCycle::randomPickAddress() const
{
    return m_form.serverBase() + QLatin1String("/calender/queryrandompic.php");
}

QString RefreshCycle::currentPictureAddress() const
{
    return m_form.serverBase() + QLatin1String("/calender/curpic.dat");
}

void RefreshCycle::Timer2_Timer()
{
    m_form.Timer2->setTag(Countdown::afterTick(m_form.Timer2->tag()));
    if (m_form.Timer2->tag() != u"0")
        return;

    // Neither the refresh button nor the timer may start a second refresh meanwhile.
    m_form.Label6->setEnabled(false);
    m_form.RearmTimer2();
    m_form.Timer2->setEnabled(false);
    m_form.Downloading->show();
    m_form.ImageAdded->show();

    if (m_form.Combo2->currentIndex() == 1) {
        refreshFromGallery(); // the install's end enables the refresh button again
        return;
    }
    m_form.CategoryQuery.clear();
    if (m_form.Combo2->currentIndex() > 1)
        m_form.CategoryQuery = PictureAnswer::categoryQuery(m_form.Combo2->currentText());
    m_wb1.navigate(expectedAddress());
    m_form.Label6->setEnabled(true);
}

void RefreshCycle::refreshFromGallery()
{
    const QString folder = m_form.statePath(QStringLiteral("MyGallery"));
    const QStringList files = GalleryFolder::files(folder);
    if (files.isEmpty()) {
        qCInfo(lcCycle) << "My Gallery is empty; nothing to show";
        m_installer.endWithoutPicture();
        return;
    }
    const QString name = files[int(m_form.Random.bounded(quint32(files.size())))];
    const std::optional<QStringList> lines = GalleryFolder::readRecord(folder + u'/' + name);
    if (!lines)
        qCWarning(lcCycle) << "cannot read the gallery file" << name;
    m_installer.InstallPicture(name, lines.value_or(QStringList(4)).join(u'\n'));
}

QUrl RefreshCycle::expectedAddress() const
{
    return QUrl(randomPickAddress() + m_form.CategoryQuery);
}

void RefreshCycle::WB1_NavigateComplete2(const QUrl& URL)
{
    if (URL.toEncoded() != expectedAddress().toEncoded())
        return;
    m_installer.InstallPicture(currentPictureAddress(), {});
    m_form.CategoryQuery.clear();
}

void RefreshCycle::WB1_NavigateFailed(const QUrl& requested)
{
    if (requested.toEncoded() != expectedAddress().toEncoded())
        return;
    qCWarning(lcCycle) << "the picture server did not answer" << requested.toString();
    m_installer.endWithoutPicture();
}
