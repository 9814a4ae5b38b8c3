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
#include <memory>

using namespace Qt::StringLiterals;
using Part = SkinImages::Part;
Q_DECLARE_METATYPE(Part)

namespace {

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

} // namespace

class TestSkinArt : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sizeFollowsRatio_data();
    void sizeFollowsRatio();
    void markerIsUniformDarkBlue();
    void calendarLayout();
    void coversLieOnBareFace_data();
    void coversLieOnBareFace();
    void placeholderPainted();
    void replacementWins_data();
    void replacementWins();
    void undecodableReplacementFallsBack_data();
    void undecodableReplacementFallsBack();

private:
    // A file in the state folder's skin/; plain names are red, @2x names green.
    void writeSkinFile(const QString& name, const QByteArray& bytes = {});

    std::unique_ptr<QTemporaryDir> m_state; // fresh, with an empty skin/, for each test
};

void TestSkinArt::init()
{
    m_state = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_state->path()).mkdir(u"skin"_s));
}

void TestSkinArt::writeSkinFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_state->filePath(u"skin/"_s + name);
    if (bytes.isNull()) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(name.contains(u"@2x") ? Qt::green : Qt::red);
        QVERIFY2(image.save(path, name.section(u'.', -1).toLower().toLatin1().constData()),
                 qPrintable(path));
        return;
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void TestSkinArt::sizeFollowsRatio_data()
{
    QTest::addColumn<Part>("part");
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("dpr");

    const struct
    {
        const char* name;
        Part part;
        QSize size;
    } parts[] = {{"skin", Part::Skin, {239, 399}},
                 {"calendar", Part::Calendar, {197, 132}},
                 {"settings", Part::Settings, {205, 137}},
                 {"marker", Part::Marker, {17, 17}}};
    for (const auto& part : parts)
        for (const qreal dpr : {1.0, 1.5, 2.0})
            QTest::addRow("%s at %g", part.name, dpr) << part.part << part.size << dpr;
}

void TestSkinArt::sizeFollowsRatio()
{
    QFETCH(Part, part);
    QFETCH(QSize, logical);
    QFETCH(qreal, dpr);

    // With no replacement in skin/, the painted bitmap.
    const QImage image = SkinImages(m_state->path()).image(part, dpr);
    // Odd sizes at 1.5 round up, so the whole logical area is covered.
    QCOMPARE(image.size(), QSize(qCeil(logical.width() * dpr), qCeil(logical.height() * dpr)));
    QCOMPARE(image.devicePixelRatio(), dpr);
}

void TestSkinArt::markerIsUniformDarkBlue()
{
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = SkinArt::marker(dpr);
        QCOMPARE(count(image, QRect(0, 0, 17, 17), [](QRgb p) { return p != qRgb(9, 46, 115); }),
                 0);
    }
}

void TestSkinArt::calendarLayout()
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
        // Light-blue day numbers go on rows 0..5 of columns 1..7; painted ink there
        // would make them unreadable.
        QCOMPARE(count(image, QRect(35, 33, 150, 84), lightInk), 0);
    }
}

void TestSkinArt::coversLieOnBareFace_data()
{
    QTest::addColumn<QRect>("cover");

    // The grey boxes the window lays over painted words: the badge, the "Image Added"
    // cover and the busy label.
    QTest::newRow("badge") << QRect(57, 12, 116, 16);
    QTest::newRow("image added cover") << QRect(156, 196, 58, 15);
    QTest::newRow("downloading") << QRect(142, 196, 71, 15);
}

void TestSkinArt::coversLieOnBareFace()
{
    QFETCH(QRect, cover);
    // The one-pixel ring round each cover is plain face grey, so the grey box blends
    // in, and the words it hides lie wholly inside it.
    const auto notFace = [](QRgb pixel) { return !similar(pixel, qRgb(224, 224, 224), 2); };
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage image = SkinArt::skin(dpr);
        QCOMPARE(count(image, cover.adjusted(-1, -1, 1, 1), notFace) - count(image, cover, notFace),
                 0);
    }
}

void TestSkinArt::placeholderPainted()
{
    const QImage picture = SkinArt::placeholder();
    QCOMPARE(picture.size(), QSize(752, 576));
    // Not a blank fill: sky above, darker hills below.
    QVERIFY(qGray(picture.pixel(20, 20)) > qGray(picture.pixel(20, 560)) + 30);
    QVERIFY(SkinArt::placeholder(QSize(0, 10)).isNull());
}

void TestSkinArt::replacementWins_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Part>("part");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<qreal>("expectedDpr"); // 2: the @2x file (green), 1: the plain one (red)

    QTest::newRow("png at 1") << QStringList{u"skin.png"_s} << Part::Skin << 1.0 << 1.0;
    QTest::newRow("jpeg") << QStringList{u"calendar.jpg"_s} << Part::Calendar << 1.0 << 1.0;
    QTest::newRow("bmp, upper-case suffix")
        << QStringList{u"settings.BMP"_s} << Part::Settings << 1.0 << 1.0;
    QTest::newRow("@2x at 2") << QStringList{u"skin.png"_s, u"skin@2x.png"_s} << Part::Skin << 2.0
                              << 2.0;
    QTest::newRow("@2x at 1.5") << QStringList{u"marker@2x.png"_s} << Part::Marker << 1.5 << 2.0;
    QTest::newRow("@2x ignored at 1")
        << QStringList{u"skin.png"_s, u"skin@2x.png"_s} << Part::Skin << 1.0 << 1.0;
    QTest::newRow("plain at 2 without @2x")
        << QStringList{u"marker.png"_s} << Part::Marker << 2.0 << 1.0;
}

void TestSkinArt::replacementWins()
{
    QFETCH(QStringList, files);
    QFETCH(Part, part);
    QFETCH(qreal, dpr);
    QFETCH(qreal, expectedDpr);
    for (const QString& name : files)
        writeSkinFile(name);

    const QImage image = SkinImages(m_state->path()).image(part, dpr);
    QCOMPARE(image.size(), QSize(40, 30));
    QCOMPARE(image.devicePixelRatio(), expectedDpr);
    // JPEG shifts colours a little.
    const QColor expected = expectedDpr == 2 ? Qt::green : Qt::red;
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
    QTest::newRow("empty file") << u"skin.png"_s << QByteArray("") << 1.0 << false;
    QTest::newRow("truncated png at 2") << u"skin.png"_s << truncatedPng << 2.0 << false;
    QTest::newRow("broken @2x, good plain") << u"skin@2x.png"_s << truncatedPng << 2.0 << true;
}

void TestSkinArt::undecodableReplacementFallsBack()
{
    QFETCH(QString, brokenName);
    QFETCH(QByteArray, brokenBytes);
    QFETCH(qreal, dpr);
    QFETCH(bool, plainPresent);
    writeSkinFile(brokenName, brokenBytes);
    if (plainPresent)
        writeSkinFile(u"skin.png"_s);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipping skin replacement.*"_s +
                                                          QRegularExpression::escape(brokenName)));
    const QImage image = SkinImages(m_state->path()).image(Part::Skin, dpr);
    if (plainPresent) {
        QCOMPARE(image.pixel(20, 15), qRgb(255, 0, 0));
    } else {
        QCOMPARE(image, SkinArt::skin(dpr));
        QCOMPARE(image.devicePixelRatio(), dpr);
    }
}

QTEST_MAIN(TestSkinArt)
#include "tst_skinart.moc"
