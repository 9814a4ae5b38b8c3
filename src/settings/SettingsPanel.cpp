// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsPanel.h"

#include "controls/HotSpot.h"
#include "controls/PictureBox.h"
#include "picture/PictureCycle.h"
#include "platform/Logging.h"
#include "settings/SettingsFile.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <QComboBox>

SettingsPanel::SettingsPanel(const Controls& controls, const QString& stateDir, PictureCycle& cycle)
    : m_controls(controls), m_stateDir(stateDir), m_cycle(cycle)
{
    connect(controls.openButton, &HotSpot::clicked, this, &SettingsPanel::Label5_Click);
    connect(controls.closeButton, &HotSpot::clicked, this, &SettingsPanel::Label1_Click);
}

void SettingsPanel::loadChoices()
{
    const std::optional<QStringList> categories =
        TextLines::read(statePath(StateFiles::categories));
    if (!categories)
        qCWarning(lcState).noquote() << "cannot read" << StateFiles::categories
                                     << "- only \"All\" and \"My Gallery\" are offered";
    m_controls.sourceList->addItems(categories.value_or(QStringList()));

    const SettingsFile::Choices choices =
        SettingsFile::load(statePath(StateFiles::settings), m_controls.intervalList->count(),
                           m_controls.sourceList->count());
    m_controls.intervalList->setCurrentIndex(choices.interval);
    m_controls.sourceList->setCurrentIndex(choices.category);
}

void SettingsPanel::Label5_Click()
{
    m_controls.panel->move(m_controls.shownAt);
    m_controls.panel->show();
    m_controls.panel->raise();
}

bool SettingsPanel::isOpen() const
{
    return !m_controls.panel->isHidden();
}

void SettingsPanel::Label1_Click()
{
    // A file that cannot be written keeps its old content; the choices still apply
    // for this run.
    QString error;
    const QString path = statePath(StateFiles::settings);
    if (!SettingsFile::save(
            path, {m_controls.intervalList->currentIndex(), m_controls.sourceList->currentIndex()},
            &error))
        qCWarning(lcState) << "cannot save" << path << ":" << error;
    m_cycle.applyChoices();
    m_controls.panel->hide();
}
