// SPDX-License-Identifier: GPL-3.0-or-later
// The painted skin, the bitmaps the build painted, and the user's replacements in the
// state folder's skin/.
#include "app/SkinArt.h"
#include "app/SkinImages.h"
#include "app/SkinLayout.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

using Part = SkinImages::Part;
Q_DECLARE_METATYPE(Part)

// Pixels in the logical rectangle `r` of a high-DPI image that are not `colour`.
static int countOther(const QImage& image, const QRect& r, QRgb colour = SkinLayout::face.rgb())
{
    const qreal dpr = image.devicePixelRatio();
    int n = 0;
    for (int y = r.top() * dpr; y < (r.bottom() + 1) * dpr; ++y)
        for (int x = r.left() * dpr; x < (r.right() + 1) * dpr; ++x)
            n += image.pixel(x, y) != colour;
    return n;
}

class TestSkinArt : public QObject
{
    Q_OBJECT

private slots:
    // The ring round each grey cover is bare face, so the words it hides lie wholly inside.
    void coversLieOnBareFace_data()
    {
        QTest::addColumn<QRect>("cover");
        QTest::newRow("badge") << SkinLayout::badge;
        QTest::newRow("image added") << SkinLayout::imageAdded;
        QTest::newRow("downloading") << SkinLayout::busy;
    }
    void coversLieOnBareFace()
    {
        QFETCH(QRect, cover);
        for (const QImage& skin : {SkinArt::skin(1), SkinArt::skin(2)})
            QCOMPARE(countOther(skin, cover.adjusted(-1, -1, 1, 1)), countOther(skin, cover));
    }

    void placeholderPainted()
    {
        const QImage picture = SkinArt::placeholder();
        QCOMPARE(picture.size(), SkinArt::placeholderSize);
        // Not a blank fill: sky above, darker hills below.
        QVERIFY(qGray(picture.pixel(20, 20)) > qGray(picture.pixel(20, 560)) + 30);
        QVERIFY(SkinArt::placeholder(QSize(0, 10)).isNull());
    }

    // Files put in skin/: red pictures, green for @2x names, cut short when marked "!".
    // Files put in the installed art/ folder: blue, at the size the painter paints, of
    // another version when marked "~".
    // `source` is the file the bitmap must come from; none: the painted one.
    void bitmap_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<Part>("part");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QString>("source");
        QTest::newRow("painted settings at 2") << "" << Part::Settings << 2.0 << "";
        QTest::newRow("painted marker at 1.5") << "" << Part::Marker << 1.5 << "";
        QTest::newRow("@2x at 2") << "skin.png skin@2x.png" << Part::Skin << 2.0 << "skin@2x.png";
        QTest::newRow("@2x at 1.5") << "marker@2x.bmp" << Part::Marker << 1.5 << "marker@2x.bmp";
        QTest::newRow("@2x at 1") << "skin.png skin@2x.png" << Part::Skin << 1.0 << "skin.png";
        QTest::newRow("JPG, no @2x") << "settings.JPG" << Part::Settings << 2.0 << "settings.JPG";
        QTest::newRow("broken") << "!calendar@2x.png" << Part::Calendar << 2.0 << "";
        QTest::newRow("skips broken") << "!skin.bmp skin.png" << Part::Skin << 1.0 << "skin.png";
        QTest::newRow("installed at 1")
            << "art/skin.rgbx art/skin@2x.rgbx" << Part::Skin << 1.0 << "art/skin.rgbx";
        QTest::newRow("installed at 2")
            << "art/marker.rgbx art/marker@2x.rgbx" << Part::Marker << 2.0 << "art/marker@2x.rgbx";
        QTest::newRow("installed: none for 1.5")
            << "art/skin.rgbx art/skin@2x.rgbx" << Part::Skin << 1.5 << "";
        QTest::newRow("installed cut short") << "!art/calendar.rgbx" << Part::Calendar << 1.0 << "";
        QTest::newRow("installed by another version")
            << "~art/skin@2x.rgbx" << Part::Skin << 2.0 << "";
        QTest::newRow("user's before installed")
            << "art/settings.rgbx settings.png" << Part::Settings << 1.0 << "settings.png";
    }
    void bitmap()
    {
        QFETCH(QString, files);
        QFETCH(Part, part);
        QFETCH(qreal, dpr);
        QFETCH(QString, source);
        QTemporaryDir state;
        QVERIFY(QDir(state.path()).mkpath("skin/art"));
        for (QString name : files.split(' ', Qt::SkipEmptyParts)) {
            const bool cut = name.startsWith('!');
            const bool otherVersion = name.startsWith('~');
            name = name.mid(cut || otherVersion);
            const QString path = state.filePath("skin/" + name);
            if (name.startsWith("art/")) {
                const int scale = name.contains("@2x") ? 2 : 1;
                QImage image(SkinImages::logicalSize(part) * scale, SkinImages::shippedFormat);
                image.fill(Qt::blue);
                QByteArray header = SkinImages::shippedHeader(part, scale);
                if (otherVersion)
                    header.replace(ARTCAL_VERSION, QByteArray(ARTCAL_VERSION).replace('.', '-'));
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(header);
                file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
                if (cut || otherVersion)
                    QTest::ignoreMessage(QtWarningMsg,
                                         QRegularExpression("Passing over .* not this version's"));
            } else {
                QImage image(40, 30, QImage::Format_RGB32);
                image.fill(name.contains("@2x") ? Qt::green : Qt::red);
                QVERIFY(image.save(path));
            }
            if (cut) {
                QVERIFY(QFile::resize(path, 16)); // a header and no picture
                if (!name.startsWith("art/"))
                    QTest::ignoreMessage(QtWarningMsg,
                                         QRegularExpression("Skipping skin replacement"));
            }
        }
        const QImage image =
            SkinImages(state.path(), {state.filePath("skin/none"), state.filePath("skin/art")})
                .image(part, dpr);
        const qreal sourceScale = source.contains("@2x") ? 2.0 : 1.0;
        if (source.startsWith("art/")) {
            QCOMPARE(image.size(), SkinImages::logicalSize(part) * sourceScale);
            QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 255));
            QCOMPARE(image.devicePixelRatio(), sourceScale);
            return;
        }
        if (!source.isEmpty()) {
            QCOMPARE(image, QImage(state.filePath("skin/" + source)));
            QCOMPARE(image.devicePixelRatio(), sourceScale);
            return;
        }
        // Painted over the whole logical size: odd sizes at 1.5 round up.
        const QSize logical = SkinImages::logicalSize(part);
        QCOMPARE(image.size(), QSize(qCeil(logical.width() * dpr), qCeil(logical.height() * dpr)));
        QCOMPARE(image.devicePixelRatio(), dpr);
        QVERIFY(part != Part::Marker ||
                countOther(image, QRect({}, logical), SkinLayout::markerColour) == 0);
    }

    // What the build installs is what the widget would paint, pixel for pixel.
    void installedIsPainted()
    {
        QTest::failOnWarning(QRegularExpression("Passing over")); // painted instead
        const SkinImages installed(QString(), {QStringLiteral(ARTCAL_ART_DIR)});
        for (const Part part : SkinImages::parts) {
            for (const int scale : SkinImages::shippedScales) {
                QVERIFY(QFile::exists(ARTCAL_ART_DIR "/" + SkinImages::shippedName(part, scale)));
                QCOMPARE(installed.image(part, scale), SkinImages::painted(part, scale));
            }
        }
    }
};

QTEST_MAIN(TestSkinArt)
#include "tst_skinart.moc"
