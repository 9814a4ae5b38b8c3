// SPDX-License-Identifier: GPL-3.0-or-later
// The hover box: the poll's hit test, both edges inside, and when it shows or hides the box.
#include "FormFixture.h"
#include "app/SkinLayout.h"

#include <QEnterEvent>
#include <QTest>

class TestHover : public QObject
{
    Q_OBJECT
private slots:
    // `cursor` is in window pixels; the window lies away from the screen's origin.
    void poll_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<bool>("after");
        const QRect a = SkinLayout::hoverArea;
        QTest::newRow("top-left corner") << false << a.topLeft() << true;
        QTest::newRow("left of it") << true << QPoint(a.left() - 1, a.top()) << false;
        QTest::newRow("above it") << true << QPoint(a.left(), a.top() - 1) << false;
        QTest::newRow("bottom-right corner") << false << a.bottomRight() + QPoint(1, 1) << true;
        QTest::newRow("right of it") << true << a.bottomRight() + QPoint(2, 1) << false;
        QTest::newRow("below it") << true << a.bottomRight() + QPoint(1, 2) << false;
        QTest::newRow("stays over") << true << a.center() << true;
        QTest::newRow("stays out") << false << QPoint(0, 0) << false;
    }
    void poll()
    {
        QFETCH(bool, before);
        QFETCH(QPoint, cursor);
        QFETCH(bool, after);
        FormFixture f;
        Form1& form = f.start();
        form.move(300, 200);
        if (before)
            form.hoverTracker().ShowHoverBox();
        // Flipped behind the poll's back: a poll that changes nothing leaves it so.
        f.ui().Line1->setVisible(!before);
        QCursor::setPos(form.geometry().topLeft() + cursor);
        form.hoverTracker().CursorEvents_Timer();
        QCOMPARE(f.ui().Image1Label->tag(), QString(after ? "MouseOver" : "MouseOut"));
        for (QWidget* l : {f.ui().Line1, f.ui().Line2, f.ui().Line3, f.ui().Line4})
            QCOMPARE(l->isVisibleTo(&form), l == f.ui().Line1 && before == after ? !after : after);
    }

    // The poll sleeps while the pointer is away: it starts when the pointer enters the
    // window or the window maps under it, and the first tick that finds the pointer
    // outside stops it.
    void pollSleepsAway()
    {
        FormFixture f;
        Form1& form = f.start();
        form.move(300, 200);
        QCursor::setPos(form.geometry().topLeft() - QPoint(5, 5));
        form.show(); // a first tick finds the pointer away
        form.hoverTracker().CursorEvents_Timer();
        QVERIFY(!f.ui().CursorEvents->isActive());
        QEnterEvent enter(QPointF(50, 50), QPointF(50, 50), QPointF(350, 250));
        QCoreApplication::sendEvent(&form, &enter);
        QVERIFY(f.ui().CursorEvents->isActive());
        QCursor::setPos(form.geometry().topLeft() + SkinLayout::hoverArea.center());
        form.hoverTracker().CursorEvents_Timer();
        QVERIFY(f.ui().CursorEvents->isActive() && f.ui().Line1->isVisibleTo(&form));
        QCursor::setPos(form.geometry().topLeft() - QPoint(5, 5));
        form.hoverTracker().CursorEvents_Timer();
        QVERIFY(!f.ui().CursorEvents->isActive() && !f.ui().Line1->isVisibleTo(&form));
        form.hide(); // and a window that maps under the pointer polls at once
        QCursor::setPos(form.geometry().center());
        form.show();
        QVERIFY(f.ui().CursorEvents->isActive());
    }
};

QTEST_MAIN(TestHover)
#include "tst_hover.moc"
