// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsPanel.h"

#include "controls/HotSpot.h"
#include "controls/PictureBox.h"
#include "picture/PictureCycle.h"
#include "platform/Logging.h"
#include "platform/WebAddress.h"
#include "settings/CategoryList.h"
#include "settings/SettingsFile.h"
#include "state/StateFiles.h"
#include "state/TextLines.h"

#include <QComboBox>

SettingsPanel::SettingsPanel(const Controls& controls, const QString& stateDir,
                             const QString& serverBase, platform::Http& http, PictureCycle& cycle)
    : m_controls(controls), m_stateDir(stateDir), m_serverBase(serverBase), m_cycle(cycle),
      m_serverCategories(stateDir, serverBase, http)
{
    connect(controls.openButton, &HotSpot::clicked, this, &SettingsPanel::Label5_Click);
    connect(controls.closeButton, &HotSpot::clicked, this, &SettingsPanel::Label1_Click);
    // After each refresh, and when the panel opens, not at start: a widget whose picture
    // is current loads no network code for it, and starts and rests lighter.
    connect(&cycle, &PictureCycle::ended, this, &SettingsPanel::updateCategories);
    connect(&m_serverCategories, &ServerCategories::changed, this, &SettingsPanel::showCategories);
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

void SettingsPanel::updateCategories()
{
    m_serverCategories.update();
}

void SettingsPanel::showCategories(const QStringList& names)
{
    QComboBox& list = *m_controls.sourceList;
    QStringList before;
    for (int i = CategoryList::firstNamePlace; i < list.count(); ++i)
        before << list.itemText(i);

    // Settings.dat keeps the category by its place in the list: the same name's new place.
    const QString path = statePath(StateFiles::settings);
    SettingsFile::Choices saved =
        SettingsFile::load(path, m_controls.intervalList->count(), list.count());
    const int savedCategory =
        CategoryList::keepChoice(saved.category, before, names).value_or(CategoryList::allPlace);
    if (savedCategory != saved.category) {
        saved.category = savedCategory;
        QString error;
        if (!SettingsFile::save(path, saved, &error))
            qCWarning(lcState) << "cannot save" << path << ":" << error;
    }

    // The choice on the panel, which may be open and its choice not saved yet.
    const int shown = list.currentIndex();
    const std::optional<int> kept = CategoryList::keepChoice(shown, before, names);
    const QString shownName = list.currentText();
    while (list.count() > CategoryList::firstNamePlace)
        list.removeItem(list.count() - 1);
    list.addItems(names);
    list.setCurrentIndex(kept.value_or(CategoryList::allPlace));
    if (!kept)
        m_cycle.tell(QStringLiteral("Picture server %1 no longer has the category %2: pictures "
                                    "now come from All")
                         .arg(platform::siteOf(QUrl(m_serverBase)), shownName));
}

void SettingsPanel::Label5_Click()
{
    updateCategories();
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
