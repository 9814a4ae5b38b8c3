// SPDX-License-Identifier: GPL-3.0-or-later
// The demo library: deterministic pictures, written as real JPEGs into category folders.
#include "DemoArt.h"

#include <QDir>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace DemoArt = server::DemoArt;

class TestServerDemoArt : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(DemoArt::renderLibrary(m_library.path(), 3)); }
    void library();
    void paint_data();
    void paint();

private:
    QTemporaryDir m_library;
};

// Every picture is in its category's folder under its title, a JPEG of the full size, more
// than a flat fill, and unlike every other one. Read at a small size, which is quick.
void TestServerDemoArt::library()
{
    // The names of the widget's installed category list, which the demo library serves.
    const QStringList folders = {"Abstract", "Fractals", "Landscapes", "Light & Shadow",
                                 "Patterns"};
    QSet<QByteArray> seen;
    for (int category = 0; category < folders.size(); ++category) {
        const QDir folder(m_library.filePath(folders[category]));
        QCOMPARE(folder.entryList(QDir::Files).size(), DemoArt::picturesPerCategory);
        for (int index = 0; index < DemoArt::picturesPerCategory; ++index) {
            const QString name = DemoArt::title(category, index) + ".jpg";
            QImageReader file(folder.filePath(name));
            QCOMPARE(file.format(), "jpeg");
            QCOMPARE(file.size(), QSize(1024, 768));
            file.setScaledSize({64, 48});
            const QImage small = file.read().convertToFormat(QImage::Format_RGB32);
            QSet<QRgb> colours;
            for (int y = 0; y < small.height(); ++y) {
                for (int x = 0; x < small.width(); ++x)
                    colours.insert(small.pixel(x, y));
            }
            QVERIFY2(colours.size() > 16, qPrintable(name));
            const QByteArray pixels(reinterpret_cast<const char*>(small.constBits()),
                                    small.sizeInBytes());
            QVERIFY2(!seen.contains(pixels), qPrintable(name));
            seen.insert(pixels);
        }
    }
    // The painted pictures credit themselves; a picture of the same name elsewhere does not.
    const PictureCredits credits = DemoArt::credits(m_library.path(), "Abstract/Drift.jpg");
    QCOMPARE(credits.toLines(),
             QStringList({"Title: Drift", "Licence: CC0 1.0",
                          "LicenceUrl: https://creativecommons.org/publicdomain/zero/1.0/",
                          "Credit: artcal demo art"}));
    QVERIFY(DemoArt::credits(QDir::tempPath(), "Abstract/Drift.jpg").isEmpty());
}

void TestServerDemoArt::paint_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("index");
    for (int category = 0; category < DemoArt::categories().size(); ++category) {
        // A different index in each: some painters pick their kind of picture by it.
        const int index = category % DemoArt::picturesPerCategory;
        QTest::addRow("%s %d", qPrintable(DemoArt::categories()[category]), index)
            << category << index;
    }
}

// The same seed paints the same picture; another, another one.
void TestServerDemoArt::paint()
{
    QFETCH(int, category);
    QFETCH(int, index);
    const QImage image = DemoArt::paint(category, index, 7);
    QCOMPARE(DemoArt::paint(category, index, 7), image);
    QVERIFY(DemoArt::paint(category, index, 8) != image);
}

QTEST_MAIN(TestServerDemoArt)
#include "tst_serverdemoart.moc"
