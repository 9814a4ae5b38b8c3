// The hover box: the hit test and the poll's two states.
#include "FormFixture.h"
#include "hover/HitTest.h"
#include "hover/HoverTracker.h"

#include <QCursor>
#include <QTest>

class TestHover : public QObject
{
    Q_OBJECT

    static bool boxShown(Form1& form)
    {
        const bool shown = form.Line1->isVisibleTo(&form);
        for (QWidget* line : {form.Line2, form.Line3, form.Line4})
            if (line->isVisibleTo(&form) != shown)
                qFatal("the box's lines disagree");
        return shown;
    }

private slots:
    void hitTest_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<bool>("over");
        // The control: 24, 33, 188 × 143 in a window at 100, 50.
        QTest::newRow("inside") << QPoint(200, 150) << true;
        QTest::newRow("left edge") << QPoint(124, 150) << true;
        QTest::newRow("left of it") << QPoint(123, 150) << false;
        QTest::newRow("right edge") << QPoint(312, 150) << true;
        QTest::newRow("right of it") << QPoint(313, 150) << false;
        QTest::newRow("top edge") << QPoint(200, 83) << true;
        QTest::newRow("above") << QPoint(200, 82) << false;
        QTest::newRow("bottom edge") << QPoint(200, 226) << true;
        QTest::newRow("below") << QPoint(200, 227) << false;
        QTest::newRow("bottom-right corner") << QPoint(312, 226) << true;
    }
    void hitTest()
    {
        QFETCH(QPoint, cursor);
        QFETCH(bool, over);
        QCOMPARE(HitTest::CursorOverControl(cursor, {100, 50}, {24, 33, 188, 143}), over);
    }

    void pollFollowsThePointer()
    {
        FormFixture f;
        Form1& form = f.start();
        form.move(100, 50);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        HoverTracker& hover = form.hoverTracker();
        const QPoint origin = form.geometry().topLeft();
        QVERIFY(form.CursorEvents->isActive());

        QCursor::setPos(origin + QPoint(5, 5));
        hover.CursorEvents_Timer();
        QVERIFY(!boxShown(form));
        QCOMPARE(form.Image1Label->tag(), QString("MouseOut"));

        QCursor::setPos(origin + QPoint(24 + 188, 33 + 143)); // the inclusive corner
        hover.CursorEvents_Timer();
        QVERIFY(boxShown(form));
        QCOMPARE(form.Image1Label->tag(), QString("MouseOver"));
        // No change of state, nothing touched: a line hidden behind the poll's back stays so.
        form.Line1->hide();
        hover.CursorEvents_Timer();
        QVERIFY(!form.Line1->isVisibleTo(&form));
        form.Line1->show();

        QCursor::setPos(origin + QPoint(100, 250));
        hover.CursorEvents_Timer();
        QVERIFY(!boxShown(form));
        QCOMPARE(form.Image1Label->tag(), QString("MouseOut"));

        // The box follows the window wherever it is dragged.
        form.move(300, 200);
        QTRY_COMPARE(form.geometry().topLeft(), origin + QPoint(200, 150));
        hover.CursorEvents_Timer();
        QVERIFY(!boxShown(form));
        QCursor::setPos(form.geometry().topLeft() + QPoint(50, 50));
        hover.CursorEvents_Timer();
        QVERIFY(boxShown(form));
        // The box's lines sit around the picture.
        QCOMPARE(form.Line1->geometry(), QRect(22, 31, 190, 1));
        QCOMPARE(form.Line2->geometry(), QRect(23, 177, 190, 1));
        QCOMPARE(form.Line4->geometry(), QRect(212, 31, 1, 147));
    }

    // The real 40 ms poll, untouched by the test.
    void pollRunsOnItsOwn()
    {
        FormFixture f;
        Form1& form = f.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCursor::setPos(form.geometry().topLeft() + QPoint(100, 100));
        QTRY_VERIFY_WITH_TIMEOUT(boxShown(form), 1000);
        QCursor::setPos(form.geometry().topLeft() + QPoint(100, 300));
        QTRY_VERIFY_WITH_TIMEOUT(!boxShown(form), 1000);
    }
};

QTEST_MAIN(TestHover)
#include "tst_hover.moc"
