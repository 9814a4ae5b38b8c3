// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormMenu.h"

#include "app/Form1.h"
#include "picture/PictureStatus.h"
#include "platform/Autostart.h"
#include "platform/Logging.h"
#include "platform/UrlOpener.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>

namespace FormMenu {

void popup(Form1& form, QPoint globalPos)
{
    auto* menu = new QMenu(&form);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [menu](const QString& text, const QKeySequence& keys, auto run) {
        QAction* action = menu->addAction(text, run);
        action->setShortcut(keys);
        return action;
    };
    PictureCycle& cycle = form.cycle();
    MyGallery& gallery = form.myGallery();
    add(QStringLiteral("&Fetch a new picture"), Qt::Key_F5, [&form] { form.Label6_Click(); });
    add(QStringLiteral("&Previous picture"), Qt::ALT | Qt::Key_Left,
        [&cycle] { cycle.previousPicture(); });
    add(QStringLiteral("&Next picture"), Qt::ALT | Qt::Key_Right,
        [&cycle] { cycle.nextPicture(); });
    if (gallery.shownIsSaved())
        add(QStringLiteral("&Remove from My Gallery"), {}, [&gallery] { gallery.removeShown(); });
    else
        add(QStringLiteral("&Add to My Gallery"), Qt::CTRL | Qt::Key_D,
            [&gallery] { gallery.Label9_Click(); });
    add(QStringLiteral("&Open the picture's page"), {}, [&form] { form.Image1_Click(); });
    // The skin's own button for it is a strip one or two pixels wide.
    add(QStringLiteral("Open the picture &server's home page"), {},
        [&form] { form.calendar().Label13_Click(); });
    add(QStringLiteral("Open the My &Gallery folder"), {},
        [&gallery] { platform::openFolder(gallery.folder()); });
    add(QStringLiteral("Back to &today"), Qt::Key_Home, [&form] { form.calendar().backToToday(); });
    menu->addSeparator();
    QAction* above = add(QStringLiteral("&Keep above other windows"), {},
                         [&form](bool on) { form.keepAbove(on); });
    above->setCheckable(true);
    above->setChecked(form.keepsAbove());
    // A failure says why in the log and, in plain words, in the status.
    QAction* login = add(QStringLiteral("Start at &login"), {}, [&form](bool on) {
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
    });
    login->setCheckable(true);
    login->setChecked(platform::Autostart::isEnabled());
    add(QStringLiteral("Clear the picture &history"), Qt::CTRL | Qt::SHIFT | Qt::Key_Delete,
        [&cycle] { cycle.clearHistory(); });
    menu->addSeparator();
    add(QStringLiteral("A&bout artcal"), {}, [&form] {
        QMessageBox::about(&form, QStringLiteral("About artcal"),
                           QStringLiteral("<b>artcal %1</b><p>A desktop calendar with a "
                                          "picture of the day.</p>")
                               .arg(QCoreApplication::applicationVersion()));
    });
    add(QStringLiteral("&Close"), Qt::CTRL | Qt::Key_Q, [&form] { form.close(); });
    menu->popup(globalPos);
}

} // namespace FormMenu
