// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormCommands.h"

#include "app/Form1.h"
#include "picture/PictureStatus.h"
#include "platform/Autostart.h"
#include "platform/Display.h"
#include "platform/Logging.h"
#include "platform/UrlOpener.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMessageBox>

namespace {
using Id = FormCommands::Id;

// The context menu's sections, in order; None: the menu does not list the command.
enum class Section { None, Picture, Wallpaper, Window, Program };

struct Command
{
    Id id;
    const char* text;         // with its mnemonic
    QList<QKeySequence> keys; // the first is the one shown
    Section section;
    void (*run)(Form1& form, bool checked);
    bool (*checked)(const Form1& form) = nullptr; // a toggle's state, read at each popup
    bool (*offered)(Form1& form) = nullptr;       // whether the menu offers it now
    bool navigation = false;
    // Why the menu shows it disabled now (its tooltip); empty when it may run.
    QString (*unusable)(Form1& form) = nullptr;
};

void startAtLogin(Form1& form, bool on)
{
    // A failure says why in the log and, in plain words, in the status.
    QString error;
    if (on ? platform::Autostart::enable(QCoreApplication::applicationFilePath(),
                                         form.options().arguments, &error)
           : platform::Autostart::disable(&error)) {
        form.showNotice({});
        return;
    }
    qCWarning(lcState) << "cannot change the start at login:" << error;
    form.showNotice((on ? QStringLiteral("Cannot start at login: %1")
                        : QStringLiteral("Cannot stop starting at login: %1"))
                        .arg(PictureStatus::reason(error)));
}

// The wallpaper commands need a desktop artcal can set and a picture that is not the
// placeholder.
QString wallpaperUnusable(Form1& form)
{
    if (!form.wallpaper().unavailable().isEmpty())
        return form.wallpaper().unavailable();
    return form.shownRecord() ? QString() : QStringLiteral("There is no picture of the day yet");
}

void about(Form1& form, bool)
{
    QMessageBox::about(&form, QStringLiteral("About artcal"),
                       QStringLiteral("<b>artcal %1</b><p>A desktop calendar with a "
                                      "picture of the day.</p>")
                           .arg(QCoreApplication::applicationVersion()));
}

// Adding a command is adding its line here.
const Command commands[] = {
    {Id::Fetch,
     "&Fetch a new picture",
     {Qt::Key_F5},
     Section::Picture,
     [](Form1& form, bool) { form.Label6_Click(); }},
    {Id::PreviousPicture,
     "&Previous picture",
     {Qt::ALT | Qt::Key_Left},
     Section::Picture,
     [](Form1& form, bool) { form.cycle().previousPicture(); }},
    {Id::NextPicture,
     "&Next picture",
     {Qt::ALT | Qt::Key_Right},
     Section::Picture,
     [](Form1& form, bool) { form.cycle().nextPicture(); }},
    {Id::AddToGallery,
     "&Add to My Gallery",
     {Qt::CTRL | Qt::Key_D},
     Section::Picture,
     [](Form1& form, bool) { form.myGallery().Label9_Click(); },
     nullptr,
     [](Form1& form) { return !form.myGallery().shownIsSaved(); }},
    {Id::RemoveFromGallery,
     "&Remove from My Gallery",
     {},
     Section::Picture,
     [](Form1& form, bool) { form.myGallery().removeShown(); },
     nullptr,
     [](Form1& form) { return form.myGallery().shownIsSaved(); }},
    {Id::OpenPicturePage,
     "&Open the picture's page",
     {},
     Section::Picture,
     [](Form1& form, bool) { form.Image1_Click(); }},
    {Id::OpenHomePage,
     "Open the picture &server's home page",
     {},
     Section::Picture,
     [](Form1& form, bool) { form.calendar().Label13_Click(); }},
    {Id::OpenGalleryFolder,
     "Open the My &Gallery folder",
     {},
     Section::Picture,
     [](Form1& form, bool) { platform::openFolder(form.myGallery().folder()); }},
    {Id::BackToToday,
     "Back to &today",
     {Qt::Key_Home},
     Section::Picture,
     [](Form1& form, bool) { form.calendar().backToToday(); },
     nullptr,
     nullptr,
     true},
    {Id::SetWallpaper,
     "Set as &wallpaper",
     {},
     Section::Wallpaper,
     [](Form1& form, bool) {
         if (const std::optional<PictureRecord> shown = form.shownRecord())
             form.wallpaper().set(*shown);
     },
     nullptr,
     nullptr,
     false,
     wallpaperUnusable},
    {Id::FollowWallpaper,
     "New pictures &become the wallpaper",
     {},
     Section::Wallpaper,
     [](Form1& form, bool on) { form.wallpaper().follow(on); },
     [](const Form1& form) { return form.wallpaper().follows(); },
     nullptr,
     false,
     wallpaperUnusable},
    {Id::RestoreWallpaper,
     "Restore &my wallpaper",
     {},
     Section::Wallpaper,
     [](Form1& form, bool) { form.wallpaper().restore(); },
     nullptr,
     nullptr,
     false,
     wallpaperUnusable},
    {Id::Calendars,
     "Cal&endars...",
     {},
     Section::Window,
     [](Form1& form, bool) { form.showCalendars(); }},
    {Id::KeepAbove,
     "&Keep above other windows",
     {},
     Section::Window,
     [](Form1& form, bool on) { form.keepAbove(on); },
     [](const Form1& form) { return form.keepsAbove(); },
     [](Form1&) { return !platform::nativeWayland(); }}, // Wayland lets no window ask
    {Id::OpenSettings,
     "&Settings",
     {Qt::CTRL | Qt::Key_Comma},
     Section::Window,
     [](Form1& form, bool) { form.settingsPanel().Label5_Click(); }},
    {Id::StartAtLogin,
     "Start at &login",
     {},
     Section::Window,
     startAtLogin,
     [](const Form1&) { return platform::Autostart::isEnabled(); }},
    {Id::ClearHistory,
     "Clear the picture &history",
     {Qt::CTRL | Qt::SHIFT | Qt::Key_Delete},
     Section::Window,
     [](Form1& form, bool) { form.cycle().clearHistory(); }},
    {Id::About, "A&bout artcal", {}, Section::Program, about},
    {Id::Close,
     "&Close",
     {Qt::CTRL | Qt::Key_Q},
     Section::Program,
     [](Form1& form, bool) { form.close(); }},
    {Id::PreviousMonth,
     "Previous month",
     {Qt::Key_Left, Qt::Key_PageUp},
     Section::None,
     [](Form1& form, bool) { form.calendar().Label11_Click(); },
     nullptr,
     nullptr,
     true},
    {Id::NextMonth,
     "Next month",
     {Qt::Key_Right, Qt::Key_PageDown},
     Section::None,
     [](Form1& form, bool) { form.calendar().Label12_Click(); },
     nullptr,
     nullptr,
     true},
    {Id::CloseSettings,
     "Save and close the settings",
     {Qt::Key_Escape},
     Section::None,
     [](Form1& form, bool) {
         if (form.settingsPanel().isOpen())
             form.settingsPanel().Label1_Click();
     }},
};

bool isList(const QWidget* widget)
{
    return qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget);
}
} // namespace

FormCommands::FormCommands(Form1& form) : m_form(form)
{
    QList<QAction*> navigation;
    for (const Command& command : commands) {
        auto* action = new QAction(QString::fromUtf8(command.text), &form);
        action->setShortcuts(command.keys);
        QString tip = action->text().remove(u'&');
        if (!command.keys.isEmpty())
            tip += QStringLiteral(" (%1)").arg(
                command.keys.first().toString(QKeySequence::NativeText));
        action->setToolTip(tip);
        action->setCheckable(command.checked != nullptr);
        QObject::connect(action, &QAction::triggered, &form,
                         [&form, run = command.run](bool checked) { run(form, checked); });
        form.addAction(action);
        m_actions.emplace(command.id, action);
        if (command.navigation)
            navigation << action;
    }
    QObject::connect(qApp, &QApplication::focusChanged, &form,
                     [navigation](QWidget*, QWidget* now) {
                         for (QAction* action : navigation)
                             action->setEnabled(!isList(now));
                     });
}

void FormCommands::popup(QPoint globalPos) const
{
    auto* menu = new QMenu(&m_form);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true); // a disabled command says why
    Section last = Section::None;
    for (const Command& command : commands) {
        if (command.section == Section::None || (command.offered && !command.offered(m_form)))
            continue;
        if (last != Section::None && command.section != last)
            menu->addSeparator();
        last = command.section;
        QAction* action = m_actions.at(command.id);
        if (command.checked)
            action->setChecked(command.checked(m_form));
        if (command.unusable) {
            const QString why = command.unusable(m_form);
            action->setEnabled(why.isEmpty());
            action->setToolTip(why.isEmpty() ? action->text().remove(u'&') : why);
        }
        menu->addAction(action);
    }
    menu->popup(globalPos);
}
