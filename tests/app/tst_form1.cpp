// SPDX-License-Identifier: GPL-3.0-or-later
// The window: which control a click reaches, moving by the bare skin, start-up from
// the state files, and what the picture cycle shows through it.
#include "FormFixture.h"
#include "app/SkinLayout.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TestForm1 : public QObject
{
    Q_OBJECT

    static void shown(Form1& form)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

    // The menu a right press at `at` opens, if any.
    static QMenu* menuAt(Form1& form, QPoint at)
    {
        QTest::mousePress(form.windowHandle(), Qt::RightButton, {}, at);
        QMenu* menu = form.findChild<QMenu*>();
        QTest::mouseRelease(form.windowHandle(), Qt::RightButton, {}, at);
        return menu;
    }
    static void choose(Form1& form, const QString& text)
    {
        QMenu* menu = menuAt(form, SkinLayout::picture.center());
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        const auto it = std::find_if(actions.begin(), actions.end(),
                                     [&](QAction* a) { return a->text() == text; });
        QVERIFY2(it != actions.end(), qPrintable(text));
        (*it)->trigger();
        delete menu;
    }

private slots:
    // Which control lies on top at a point, by the real stacking order. Without a
    // picture the badge covers "Add to My Gallery", which cannot save the placeholder.
    void topControl_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("control");
        QTest::newRow("home link's left column") << QPoint(24, 205) << "Label13";
        QTest::newRow("View Gallery over the home link") << QPoint(25, 200) << "Label2";
        QTest::newRow("home link's right strip") << QPoint(92, 200) << "Label13";
        QTest::newRow("picture over its hover label") << QPoint(100, 100) << "Image1";
        QTest::newRow("busy label hidden: the cover") << QPoint(160, 200) << "ImageAdded";
        QTest::newRow("close button") << QPoint(204, 20) << "LabelExit";
        QTest::newRow("badge over Add to My Gallery") << QPoint(100, 20) << "Picture2";
        QTest::newRow("Add to My Gallery right of the badge") << QPoint(174, 20) << "Label9";
        QTest::newRow("calendar") << QPoint(30, 300) << "Picture1";
        QTest::newRow("bare skin") << QPoint(5, 5) << "";
        QTest::newRow("bare skin between buttons") << QPoint(8, 380) << "";
    }
    void topControl()
    {
        QFETCH(QPoint, at);
        QFETCH(QString, control);
        FormFixture f;
        Form1& form = f.start();
        const QMap<QString, QWidget*> controls = {
            {"Label13", f.ui().Label13},     {"Label2", f.ui().Label2},
            {"Image1", f.ui().Image1},       {"ImageAdded", f.ui().ImageAdded},
            {"LabelExit", f.ui().LabelExit}, {"Label9", f.ui().Label9},
            {"Picture2", f.ui().Picture2},   {"Picture1", f.ui().Picture1}};
        QWidget* hit = form.childAt(at);
        QCOMPARE(controls.key(hit, hit ? hit->metaObject()->className() : QString()), control);
    }

    // A press on bare skin moves the window, whatever the button; a press on a control
    // never does, and only a left click clicks. Offscreen there is no window manager, so
    // the window follows the pointer until the release.
    void pressAndDrag_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<int>("clicks"); // of the refresh button
        QTest::newRow("left on skin") << QPoint(5, 100) << Qt::LeftButton << true << 0;
        QTest::newRow("middle on skin") << QPoint(230, 300) << Qt::MiddleButton << true << 0;
        QTest::newRow("left on a button") << QPoint(110, 210) << Qt::LeftButton << false << 1;
        QTest::newRow("right on a button") << QPoint(110, 210) << Qt::RightButton << false << 0;
    }
    void pressAndDrag()
    {
        QFETCH(QPoint, at);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, moves);
        QFETCH(int, clicks);
        FormFixture f;
        Form1& form = f.start();
        form.move(100, 100);
        shown(form);
        QSignalSpy clicked(f.ui().Label6, &HotSpot::clicked);
        const QPoint before = form.pos();
        const QPoint moved = before + (moves ? QPoint(40, 25) : QPoint());
        QTest::mousePress(form.windowHandle(), button, {}, at);
        QTest::mouseMove(form.windowHandle(), at + QPoint(40, 25));
        QTRY_COMPARE(form.pos(), moved);
        // A window that followed the pointer has it back where it was pressed.
        QTest::mouseRelease(form.windowHandle(), button, {}, moves ? at : at + QPoint(40, 25));
        QTest::mouseMove(form.windowHandle(), at + QPoint(80, 80));
        QCOMPARE(form.pos(), moved);
        QTest::mouseClick(form.windowHandle(), button, {}, at);
        QCOMPARE(clicked.size(), clicks);
    }

    // Start-up reads the state files and writes no file.
    void startup_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("categories"); // empty: no file
        QTest::addColumn<QByteArray>("record");     // empty: no picture
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("categoryCount");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("badge");
        QTest::newRow("picture with record")
            << QByteArray(" 1 \r\n 0 \r\n") << QByteArray("A\r\n") << QByteArray("p\nu\n7\nF") << 0
            << 3 << "p!?!u!?!7!?!F" << false;
        QTest::newRow("a category of the file")
            << QByteArray(" 2 \r\n 5 \r\n")
            << QByteArray("A\r\n  Light & Shadow \r\n\r\nLumi\xc3\xa8re")
            << QByteArray("p\r\nu\r\n") << 5 << 6 << "p!?!u!?!!?!" << false;
        QTest::newRow("category past the list")
            << QByteArray(" 2 \r\n 6 \r\n") << QByteArray("A\r\n") << QByteArray("p") << 0 << 3
            << "p!?!!?!!?!" << false;
        QTest::newRow("placeholder, no categories")
            << QByteArray(" 2 \r\n 1 \r\n") << QByteArray() << QByteArray() << 1 << 2 << "" << true;
    }
    void startup()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, categories);
        QFETCH(QByteArray, record);
        QFETCH(int, category);
        QFETCH(int, categoryCount);
        QFETCH(QString, tag);
        QFETCH(bool, badge);
        FormFixture f;
        f.write("Settings.dat", settings);
        if (!categories.isEmpty())
            f.write("Categories.dat", categories);
        if (!record.isEmpty()) {
            f.writePicture("image.jpg", Qt::red);
            f.write("image.jpg.dat", record);
        }
        const QStringList entries = QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::System);
        Form1& form = f.start();
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::System), entries);
        QCOMPARE(f.ui().Combo2->currentIndex(), category);
        // The hidden lists build their popups only when the panel is used.
        QVERIFY(f.ui().Settings->findChildren<QFrame*>().isEmpty());
        QCOMPARE(f.ui().Combo2->count(), categoryCount);
        if (categoryCount == 6)
            QCOMPARE(f.ui().Combo2->itemText(3), QString("  Light & Shadow "));
        QCOMPARE(f.ui().Image1->tag(), tag);
        QCOMPARE(f.ui().Picture2->isVisibleTo(&form), badge);
        QVERIFY(!f.ui().Label10->isVisibleTo(f.ui().Picture2));
        QCOMPARE(f.read("Settings.dat"), settings);
        QCOMPARE(f.read("image.jpg.dat"), record.isEmpty() ? QByteArray("<missing>") : record);
    }

    // The window gets its icon. A refresh shows the busy label over "Image Added" and
    // holds the refresh button until it ends; the close button ends the run without saving the open
    // settings.
    void refreshAndClose()
    {
        FormFixture f;
        f.write("Settings.dat", " 2 \r\n 0 \r\n");
        f.writePicture("image.jpg", Qt::red);
        Form1& form = f.start("http://127.0.0.1:1");
        shown(form);
        QTRY_VERIFY(!form.windowIcon().isNull()); // given once the first frame is up
        QSignalSpy ended(&form.cycle(), &PictureCycle::ended);
        form.Label6_Click();
        QVERIFY(f.ui().Downloading->isVisible() && f.ui().ImageAdded->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
        QVERIFY(!f.ui().Downloading->isVisible() && f.ui().Label6->isEnabled());
        form.settingsPanel().Label5_Click();
        f.ui().Combo1->setCurrentIndex(4);
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {},
                          SkinLayout::closeButton.center());
        QVERIFY(!form.isVisible());
        QCOMPARE(f.read("Settings.dat"), QByteArray(" 2 \r\n 0 \r\n"));
    }

    // Walked as a screen reader walks it: every painted button is a button with the
    // words of its tooltip (the picture: what a click does; the caption: its month), whose
    // first action does what a click does. The lists are named by what they set, with the
    // chosen entry as their value, and their entries stay reachable.
    void accessibility()
    {
        FormFixture f;
        Form1& form = f.start();
        form.settingsPanel().Label5_Click();
        QStringList buttons, lists;
        QList<QAccessibleInterface*> pressed; // after the walk: a press may rebuild the tree
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* item) {
            auto* spot = qobject_cast<HotSpot*>(item->object());
            if (item->role() == QAccessible::Button) {
                buttons << item->text(QAccessible::Name);
                QCOMPARE(item->actionInterface()->actionNames().value(0),
                         QAccessibleActionInterface::pressAction());
                if (spot && spot != f.ui().LabelExit)
                    pressed << item;
            }
            if (item->role() == QAccessible::ComboBox) {
                lists << item->text(QAccessible::Name) + ": " + item->text(QAccessible::Value);
                QCOMPARE(item->child(0)->child(0)->text(QAccessible::Name),
                         static_cast<QComboBox*>(item->object())->itemText(0));
            }
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(&form));
        for (QAccessibleInterface* item : std::as_const(pressed)) {
            QSignalSpy clicked(item->object(), SIGNAL(clicked()));
            item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(clicked.size(), 1);
        }
        buttons.sort();
        QCOMPARE(buttons,
                 QStringList({"Add to My Gallery (Ctrl+D)", "Close (Ctrl+Q)", "December 2026",
                              "Fetch a new picture (F5)", "Next month (Right)",
                              "Open the picture server's home page", "Open the picture's page",
                              "Previous month (Left)", "Save and close the settings (Esc)",
                              "Settings (Ctrl+,)", "View My Gallery", "Weather"}));
        QCOMPARE(lists, QStringList({"Refresh interval: 15 Minutes", "Picture category: All"}));
    }

    // Tab walks the buttons as the eye reads the skin, the open panel's after the button
    // that opened it, and Space presses the focused one. The focus mark shows only after
    // Tab and goes with a click: the window looks as it did until the keyboard is used.
    void keyboardFocus()
    {
        FormFixture f;
        Form1& form = f.start();
        shown(form);
        form.activateWindow();
        QTRY_VERIFY(form.isActiveWindow());
        const QImage untouched = form.grab().toImage();
        QTest::keyClick(&form, Qt::Key_Tab);
        QVERIFY(form.grab().toImage() != untouched);
        QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, {5, 5});
        QCOMPARE(form.grab().toImage(), untouched);
        form.settingsPanel().Label5_Click();
        QStringList order;
        for (int i = 0; i < 14; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QAccessible::queryAccessibleInterface(QApplication::focusWidget())
                         ->text(QAccessible::Name);
        }
        QCOMPARE(order, QStringList({"Open the picture's page", "Fetch a new picture (F5)",
                                     "Add to My Gallery (Ctrl+D)", "View My Gallery",
                                     "Open the picture server's home page", "Weather",
                                     "Previous month (Left)", "December 2026", "Next month (Right)",
                                     "Settings (Ctrl+,)", "Picture category", "Refresh interval",
                                     "Save and close the settings (Esc)", "Close (Ctrl+Q)"}));
        f.ui().Label12->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.ui().Label12, Qt::Key_Space);
        QCOMPARE(f.ui().LabelMnthShade->text(), "January 2027");
    }

    // A right press over the picture or the calendar opens the menu, one on the bare
    // skin does not. "Start at login" writes and removes the autostart entry; "Remove
    // from My Gallery" is offered for a saved picture and takes its file away.
    void contextMenu()
    {
        FormFixture f;
        qputenv("XDG_CONFIG_HOME", f.path("config").toUtf8());
        Form1& form = f.start();
        shown(form);
        QVERIFY(!menuAt(form, {3, 200}));
        delete menuAt(form, f.ui().Picture1->geometry().center() + QPoint(0, 40));
        const QString entry = f.path("config/autostart/artcal.desktop");
        choose(form, "Start at &login");
        QVERIFY(f.read("config/autostart/artcal.desktop")
                    .contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + "\n"));
        choose(form, "Start at &login");
        QVERIFY(!QFile::exists(entry));
        f.ui().Image1->setTag("p!?!http://h/7.jpg!?!7!?!x");
        choose(form, "&Add to My Gallery");
        QVERIFY(QFile::exists(f.path("MyGallery/7.jpg.data")));
        choose(form, "&Remove from My Gallery");
        QVERIFY(!QFile::exists(f.path("MyGallery/7.jpg.data")));
        qunsetenv("XDG_CONFIG_HOME");
    }

    // A state folder whose name holds a line break cannot start at login: the status
    // says why, beside what it said, and no entry is written.
    void startAtLoginRefused()
    {
        FormFixture f;
        qputenv("XDG_CONFIG_HOME", f.path("config").toUtf8());
        Form1& form = f.start("http://127.0.0.1:1", {"--data-dir", f.path("a\nExec=b")});
        shown(form);
        const QString status = f.ui().Image1->accessibleDescription();
        choose(form, "Start at &login");
        QVERIFY(!QFile::exists(f.path("config/autostart/artcal.desktop")));
        QCOMPARE(f.ui().Image1->accessibleDescription(),
                 status + "\n\nCannot start at login: the --data-dir value holds a line break or "
                          "another control character");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The window opens where it was put when it fits there wholly, else wholly on the
    // nearest screen (offscreen: one of 800 x 800); it keeps its keep-above choice, and
    // saves its place once a move by the user has come to rest.
    void place_data()
    {
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QPoint>("opens");
        QTest::newRow("where it was") << QByteArray("50\r\n60\r\n1\r\n") << QPoint(50, 60);
        QTest::newRow("on no screen today") << QByteArray("-9000\r\n60\r\n1\r\n") << QPoint(0, 60);
        QTest::newRow("only its centre on the screen")
            << QByteArray("600\r\n-150\r\n1\r\n") << QPoint(565, 0);
        QTest::newRow("past the range")
            << QByteArray("2147483647\r\n2147483647\r\n1\r\n") << QPoint(565, 408);
    }
    void place()
    {
        QFETCH(QByteArray, saved);
        QFETCH(QPoint, opens);
        FormFixture f;
        f.write("Window.dat", saved);
        Form1& form = f.start();
        shown(form);
        QCOMPARE(form.pos(), opens);
        QVERIFY(form.keepsAbove());
        form.move(100, 120); // as the window system may: not the user's move, not saved
        QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, {5, 100});
        QTest::mouseMove(form.windowHandle(), {45, 125});
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, {5, 100});
        QTRY_COMPARE(f.read("Window.dat"), QByteArray("140\r\n145\r\n1\r\n"));
        form.keepAbove(false);
        QCOMPARE(f.read("Window.dat"), QByteArray("140\r\n145\r\n0\r\n"));
        form.move(300, 300);
        form.close();
        QCOMPARE(f.read("Window.dat"), QByteArray("140\r\n145\r\n0\r\n"));
    }

    // The keys, when the widget has focus; a list with the focus keeps its own keys.
    void keys()
    {
        FormFixture f;
        Form1& form = f.start("http://127.0.0.1:1");
        shown(form);
        const auto press = [&](int key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(&form, Qt::Key(key), modifiers);
        };
        press(Qt::Key_Right);
        press(Qt::Key_PageDown);
        QCOMPARE(f.ui().LabelMnthShade->text(), "February 2027");
        press(Qt::Key_Left);
        QCOMPARE(f.ui().LabelMnthShade->text(), "January 2027");
        press(Qt::Key_Home);
        QCOMPARE(f.ui().LabelMnthShade->text(), "December 2026");
        press(Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(f.ui().Settings->isVisible());
        f.ui().Combo1->setFocus();
        QTest::keyClick(f.ui().Combo1, Qt::Key_Right); // the list's, not the month's
        QCOMPARE(f.ui().LabelMnthShade->text(), "December 2026");
        press(Qt::Key_Escape);
        QVERIFY(!f.ui().Settings->isVisible());
        press(Qt::Key_F5);
        QVERIFY(f.ui().Downloading->isVisible());
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
