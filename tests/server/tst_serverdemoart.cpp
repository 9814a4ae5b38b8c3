// The demo library: deterministic pictures, written as real JPEGs into category folders.
#include "DemoArt.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace DemoArt = server::DemoArt;

class TestServerDemoArt : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(DemoArt::renderLibrary(m_library.path(), 3)); }
    void pictures_data();
    void pictures();

private:
    QTemporaryDir m_library;
};

void TestServerDemoArt::pictures_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("index");
    // The names of the widget's installed category list, which the demo library serves.
    const QStringList folders = {"Abstract", "Fractals", "Landscapes", "Light & Shadow",
                                 "Patterns"};
    for (int category = 0; category < folders.size(); ++category) {
        for (int index = 0; index < DemoArt::picturesPerCategory; ++index)
            QTest::addRow("%s %d", qPrintable(folders[category]), index)
                << category << folders[category] << index;
    }
}

void TestServerDemoArt::pictures()
{
    QFETCH(int, category);
    QFETCH(QString, folder);
    QFETCH(int, index);
    // The same seed paints the same picture; another, another one (no flat fill either).
    const QImage image = DemoArt::paint(category, index, 7);
    QCOMPARE(DemoArt::paint(category, index, 7), image);
    QVERIFY(DemoArt::paint(category, index, 8) != image);
    QImageReader file(m_library.filePath(folder + '/' + DemoArt::title(category, index) + ".jpg"));
    QCOMPARE(file.format(), "jpeg");
    QCOMPARE(file.size(), QSize(1024, 768));
}

QTEST_MAIN(TestServerDemoArt)
#include "tst_serverdemoart.moc"
