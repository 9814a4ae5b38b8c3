// The demo library: deterministic pictures that look painted, written as real JPEGs.
#include "DemoArt.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace DemoArt = server::DemoArt;

namespace {

int luminance(QRgb pixel)
{
    return (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000;
}

} // namespace

class TestServerDemoArt : public QObject
{
    Q_OBJECT
private slots:
    void pictures_data();
    void pictures();
    void libraryIsWrittenOnce();
};

void TestServerDemoArt::pictures_data()
{
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("index");
    for (int category = 0; category < DemoArt::categories().size(); ++category) {
        for (int index = 0; index < DemoArt::picturesPerCategory; ++index)
            QTest::addRow("%s %d", qPrintable(DemoArt::categories()[category]), index)
                << category << index;
    }
}

void TestServerDemoArt::pictures()
{
    QFETCH(int, category);
    QFETCH(int, index);
    const QImage image = DemoArt::paint(category, index, 7);
    QCOMPARE(DemoArt::paint(category, index, 7), image);
    QVERIFY(DemoArt::paint(category, index, 8) != image);

    // Art, not noise and not a flat fill: neighbouring pixels are mostly alike, while
    // the picture as a whole spans a real range of tones.
    double sum = 0, sumOfSquares = 0, neighbourDifference = 0;
    int samples = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const int value = luminance(line[x]);
            sum += value;
            sumOfSquares += value * value;
            neighbourDifference += std::abs(value - luminance(line[x + 1]));
            ++samples;
        }
    }
    const double mean = sum / samples;
    const double spread = std::sqrt(sumOfSquares / samples - mean * mean);
    const double roughness = neighbourDifference / samples;
    QVERIFY2(spread > 12, qPrintable(QString::number(spread)));
    QVERIFY2(roughness < 20, qPrintable(QString::number(roughness)));
}

void TestServerDemoArt::libraryIsWrittenOnce()
{
    QTemporaryDir dir;
    QVERIFY(DemoArt::renderLibrary(dir.path(), 3));

    const QDir root(dir.path());
    QCOMPARE(root.entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList({"Abstract", "Fractals", "Landscapes", "Light & Shadow", "Patterns"}));
    for (const QString& category : DemoArt::categories()) {
        const QStringList files = QDir(root.filePath(category)).entryList(QDir::Files);
        QCOMPARE(files.size(), DemoArt::picturesPerCategory);
        for (const QString& file : files) {
            QImageReader reader(root.filePath(category + '/' + file));
            QCOMPARE(reader.format(), "jpeg");
            QCOMPARE(reader.size(), QSize(1024, 768));
        }
    }
}

QTEST_MAIN(TestServerDemoArt)
#include "tst_serverdemoart.moc"
