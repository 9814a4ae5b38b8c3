#include "app/SkinArt.h"
#include "app/SkinImages.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include <functional>

using namespace Qt::StringLiterals;
using Part = SkinImages::Part;
Q_DECLARE_METATYPE(Part)

namespace {

const QRgb face = qRgb(224, 224, 224);

QImage paintedPart(Part part, qreal dpr)
{
    switch (part) {
    case Part::Skin:
        return SkinArt::skin(dpr);
    case Part::Calendar:
        return SkinArt::calendar(dpr);
    case Part::Settings:
        return SkinArt::settingsPanel(dpr);
    case Part::Marker:
        return SkinArt::marker(dpr);
    }
    return {};
}

// The pixel under the logical point (x, y) of a high-DPI image.
QRgb at(const QImage& image, int x, int y)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixel(int(x * dpr), int(y * dpr));
}

// Pixels of a logical rectangle that satisfy `test`.
int count(const QImage& image, const QRect& logical, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    for (int y = logical.top(); y <= logical.bottom(); ++y)
        for (int x = logical.left(); x <= logical.right(); ++x)
            n += test(at(image, x, y)) ? 1 : 0;
    return n;
}

// Light text on the blue panel, which is much darker than any of its captions.
bool lightInk(QRgb pixel)
{
    return qGray(pixel) > 140;
}

bool similar(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

void writeImage(const QString& path, QSize size, QColor colour, const char* format = nullptr)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY2(image.save(path, format), qPrintable(path));
}

} // namespace

class TestSkinArt : public QObject
{
    Q_OBJECT

private slots:
    void sizeFollowsRatio_data();
    void sizeFollowsRatio();
    void markerIsUniformDarkBlue();
    void calendarHeaderOverEachColumn();
    void calendarRowsStayClearForDayNumbers();
    void coversLieOnBareFace_data();
    void coversLieOnBareFace();
    void placeholderPainted();

    void replacementWins_data();
    void replacementWins();
    void undecodableReplacementFallsBack_data();
    void undecodableReplacementFallsBack();
    void cacheReturnsSameImage();
};

void TestSkinArt::sizeFollowsRatio_data()
{
    QTest::addColumn<Part>("part");
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QSize>("pixels");

    const struct
    {
        const char* name;
        Part part;
        QSize size;
    } parts[] = {{"skin", Part::Skin, {239, 399}},
                 {"calendar", Part::Calendar, {197, 132}},
                 {"settings", Part::Settings, {205, 137}},
                 {"marker", Part::Marker, {17, 17}}};
    for (const auto& part : parts) {
        for (const qreal dpr : {1.0, 1.5, 2.0}) {
            // Odd sizes at 1.5 round up, so the whole logical area is covered.
            const QSize pixels(qCeil(part.size.width() * dpr), qCeil(part.size.height() * dpr));
            QTest::addRow("%s at %g", part.name, dpr) << part.part << part.size << dpr << pixels;
        }
    }
}

void TestSkinArt::sizeFollowsRatio()
{
    QFETCH(Part, part);
    QFETCH(QSize, logical);
    QFETCH(qreal, dpr);
    QFETCH(QSize, pixels);

    const QImage image = paintedPart(part, dpr);
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.devicePixelRatio(), dpr);
    QVERIFY(image.deviceIndependentSize().width() >= logical.width());
    QVERIFY(image.deviceIndependentSize().width() < logical.width() + 1);
}

void TestSkinArt::markerIsUniformDarkBlue()
{
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = SkinArt::marker(dpr);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(image.pixel(x, y), qRgb(9, 46, 115));
    }
}

void TestSkinArt::calendarHeaderOverEachColumn()
{
    // Day numbers of column c span x = 37 + 22 (c - 1) to 12 pixels further; its name
    // must be painted above them, and "Wk" and the week numbers 1 to 5 in the first
    // column, on the rows whose tops are 34 + 14 r.
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = SkinArt::calendar(dpr);
        for (int c = 1; c <= 7; ++c) {
            const QRect header(37 + 22 * (c - 1), 8, 13, 18);
            QVERIFY2(count(image, header, lightInk) >= 8, qPrintable(QString::number(c)));
        }
        QVERIFY(count(image, QRect(10, 8, 18, 18), lightInk) >= 8);
        for (int r = 0; r < 5; ++r)
            QVERIFY2(count(image, QRect(10, 34 + 14 * r, 18, 11), lightInk) >= 3,
                     qPrintable(QString::number(r)));
        // The sixth row carries days only in some months: no week number there.
        QCOMPARE(count(image, QRect(10, 104, 18, 11), lightInk), 0);
    }
}

void TestSkinArt::calendarRowsStayClearForDayNumbers()
{
    // Light-blue day numbers go on rows 0..5 of columns 1..7; painted ink there would
    // make them unreadable.
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = SkinArt::calendar(dpr);
        QCOMPARE(count(image, QRect(35, 33, 150, 84), lightInk), 0);
    }
}

void TestSkinArt::coversLieOnBareFace_data()
{
    QTest::addColumn<QRect>("cover");
    QTest::addColumn<qreal>("dpr");

    // The grey boxes the window lays over painted words: the badge, the "Image Added"
    // cover and the busy label.
    const struct
    {
        const char* name;
        QRect rect;
    } covers[] = {{"badge", {57, 12, 116, 16}},
                  {"image added cover", {156, 196, 58, 15}},
                  {"downloading", {142, 196, 71, 15}}};
    for (const auto& cover : covers)
        for (const qreal dpr : {1.0, 2.0})
            QTest::addRow("%s at %g", cover.name, dpr) << cover.rect << dpr;
}

void TestSkinArt::coversLieOnBareFace()
{
    QFETCH(QRect, cover);
    QFETCH(qreal, dpr);

    // The skin round each cover is plain face grey, so the grey box blends in, and
    // the words it hides lie wholly inside it.
    const QImage image = SkinArt::skin(dpr);
    const QRect ring = cover.adjusted(-1, -1, 1, 1);
    const auto notFace = [](QRgb pixel) { return !similar(pixel, face, 2); };
    QCOMPARE(count(image, QRect(ring.topLeft(), QSize(ring.width(), 1)), notFace), 0);
    QCOMPARE(count(image, QRect(ring.bottomLeft(), QSize(ring.width(), 1)), notFace), 0);
    QCOMPARE(count(image, QRect(ring.topLeft(), QSize(1, ring.height())), notFace), 0);
    QCOMPARE(count(image, QRect(ring.topRight(), QSize(1, ring.height())), notFace), 0);
}

void TestSkinArt::placeholderPainted()
{
    const QImage picture = SkinArt::placeholder();
    QCOMPARE(picture.size(), QSize(752, 576));
    // Not a blank fill: sky above, darker hills below.
    QVERIFY(qGray(picture.pixel(20, 20)) > qGray(picture.pixel(20, 560)) + 30);
    QCOMPARE(SkinArt::placeholder(QSize(376, 288)).size(), QSize(376, 288));
    QVERIFY(SkinArt::placeholder(QSize(0, 10)).isNull());
}

void TestSkinArt::replacementWins_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Part>("part");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QColor>("expected");
    QTest::addColumn<qreal>("expectedDpr");

    // File names map to colours: plain files are red, @2x files green.
    QTest::newRow("png at 1") << QStringList{u"skin.png"_s} << Part::Skin << 1.0 << QColor(Qt::red)
                              << 1.0;
    QTest::newRow("jpeg") << QStringList{u"calendar.jpg"_s} << Part::Calendar << 1.0
                          << QColor(Qt::red) << 1.0;
    QTest::newRow("bmp, upper-case suffix")
        << QStringList{u"settings.BMP"_s} << Part::Settings << 1.0 << QColor(Qt::red) << 1.0;
    QTest::newRow("@2x at 2") << QStringList{u"skin.png"_s, u"skin@2x.png"_s} << Part::Skin << 2.0
                              << QColor(Qt::green) << 2.0;
    QTest::newRow("@2x at 1.5") << QStringList{u"marker@2x.png"_s} << Part::Marker << 1.5
                                << QColor(Qt::green) << 2.0;
    QTest::newRow("@2x ignored at 1") << QStringList{u"skin.png"_s, u"skin@2x.png"_s} << Part::Skin
                                      << 1.0 << QColor(Qt::red) << 1.0;
    QTest::newRow("plain at 2 without @2x")
        << QStringList{u"marker.png"_s} << Part::Marker << 2.0 << QColor(Qt::red) << 1.0;
}

void TestSkinArt::replacementWins()
{
    QFETCH(QStringList, files);
    QFETCH(Part, part);
    QFETCH(qreal, dpr);
    QFETCH(QColor, expected);
    QFETCH(qreal, expectedDpr);

    QTemporaryDir state;
    QVERIFY(QDir(state.path()).mkdir(u"skin"_s));
    for (const QString& name : files) {
        const bool sharp = name.contains(u"@2x");
        const QString suffix = name.section(u'.', -1).toLower();
        writeImage(state.filePath(u"skin/"_s + name), QSize(40, 30),
                   sharp ? QColor(Qt::green) : QColor(Qt::red), suffix.toLatin1().constData());
    }

    const QImage image = SkinImages(state.path()).image(part, dpr);
    QCOMPARE(image.size(), QSize(40, 30));
    QCOMPARE(image.devicePixelRatio(), expectedDpr);
    // JPEG shifts colours a little.
    QVERIFY(similar(image.pixel(20, 15), expected.rgb(), 12));
}

void TestSkinArt::undecodableReplacementFallsBack_data()
{
    QTest::addColumn<QString>("brokenName");
    QTest::addColumn<QByteArray>("brokenBytes");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<bool>("plainPresent");

    const QByteArray truncatedPng = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    QTest::newRow("garbage png") << u"skin.png"_s << QByteArray("not a picture at all") << 1.0
                                 << false;
    QTest::newRow("empty file") << u"skin.png"_s << QByteArray() << 1.0 << false;
    QTest::newRow("truncated png at 2") << u"skin.png"_s << truncatedPng << 2.0 << false;
    QTest::newRow("broken @2x, good plain") << u"skin@2x.png"_s << truncatedPng << 2.0 << true;
}

void TestSkinArt::undecodableReplacementFallsBack()
{
    QFETCH(QString, brokenName);
    QFETCH(QByteArray, brokenBytes);
    QFETCH(qreal, dpr);
    QFETCH(bool, plainPresent);

    QTemporaryDir state;
    QVERIFY(QDir(state.path()).mkdir(u"skin"_s));
    QFile broken(state.filePath(u"skin/"_s + brokenName));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    QCOMPARE(broken.write(brokenBytes), brokenBytes.size());
    broken.close();
    if (plainPresent)
        writeImage(state.filePath(u"skin/skin.png"_s), QSize(40, 30), Qt::red);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipping skin replacement.*"_s +
                                                          QRegularExpression::escape(brokenName)));
    const QImage image = SkinImages(state.path()).image(Part::Skin, dpr);
    if (plainPresent) {
        QCOMPARE(image.pixel(20, 15), qRgb(255, 0, 0));
    } else {
        QCOMPARE(image, SkinArt::skin(dpr));
        QCOMPARE(image.devicePixelRatio(), dpr);
    }
}

void TestSkinArt::cacheReturnsSameImage()
{
    QTemporaryDir state;
    const SkinImages images(state.path());
    const QImage first = images.image(Part::Skin, 2);
    // A replacement dropped in later does not change what is cached.
    QVERIFY(QDir(state.path()).mkdir(u"skin"_s));
    writeImage(state.filePath(u"skin/skin@2x.png"_s), QSize(40, 30), Qt::red);
    const QImage again = images.image(Part::Skin, 2);
    QCOMPARE(again.cacheKey(), first.cacheKey());
    QCOMPARE(images.image(Part::Skin, 1).devicePixelRatio(), 1.0);
    QCOMPARE(images.image(Part::Calendar, 2).size(), QSize(394, 264));
}

QTEST_MAIN(TestSkinArt)
#include "tst_skinart.moc"
