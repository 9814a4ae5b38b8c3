#include "settings/SettingsPanel.h"

#include "app/Form1.h"
#include "settings/SettingsFile.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPanel, "artcal.state")

SettingsPanel::SettingsPanel(Form1& form) : m_form(form)
{
    connect(m_form.Label5, &HotSpot::clicked, this, &SettingsPanel::Label5_Click);
    connect(m_form.Label1, &HotSpot::clicked, this, &SettingsPanel::Label1_Click);
    connect(m_form.Label6, &HotSpot::clicked, this, &SettingsPanel::Label6_Click);
}

void SettingsPanel::Label5_Click()
{
    m_form.Settings->move(19, 224);
    m_form.Settings->show();
    m_form.Settings->raise();
}

void SettingsPanel::Label1_Click()
{
    m_form.CategoryQuery.clear();
    if (!m_form.DefaultPictureShown)
        m_form.Picture2->setVisible(m_form.Combo2->currentIndex() == 1);
    // A file that cannot be written keeps its old content; the choices still apply
    // for this run.
    QString error;
    const QString path = m_form.statePath(QStringLiteral("Settings.dat"));
    if (!SettingsFile::save(path, {m_form.Combo1->currentIndex(), m_form.Combo2->currentIndex()},
                            &error))
        qCWarning(lcPanel) << "cannot save" << path << ":" << error;
    m_form.Timer2->setTag(QStringLiteral("0"));
    m_form.Settings->hide();
}

void SettingsPanel::Label6_Click()
{
    m_form.Downloading->show();
    m_form.ImageAdded->show();
    m_form.Timer2->setEnabled(false);
    m_form.Timer2->setTag(QStringLiteral("0"));
    m_form.Timer2_Timer();
}
