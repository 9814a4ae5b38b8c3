// Mapping of untrusted request targets, and the ids that saved galleries hold. The Host
// header's reading is checked by fuzz_serverpages, over odd hosts in its corpus.
#include "PictureId.h"
#include "RequestRoute.h"

#include <QTest>

#include <numeric>

using server::RequestRoute;
using Kind = RequestRoute::Kind;

class TestServerRoute : public QObject
{
    Q_OBJECT
private slots:
    void fromTarget_data();
    void fromTarget();
    void pictureId_data();
    void pictureId();
};

void TestServerRoute::fromTarget_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QList<quint64>>("ids");
    QTest::addColumn<QString>("suffix");
    const auto row = [](const char* name, const QByteArray& target, Kind kind,
                        const QString& category = {}, const QList<quint64>& ids = {},
                        const QString& suffix = {}) {
        QTest::newRow(name) << target << int(kind) << category << ids << suffix;
    };
    const QByteArray pick = "/calender/queryrandompic.php?category=";
    const QByteArray gallery = "/calender/mygallery.php?category=mygallery&mygallery=";
    QList<quint64> ids(RequestRoute::maxGalleryIds + 50);
    std::iota(ids.begin(), ids.end(), 1);
    QByteArray longList;
    for (const quint64 id : ids)
        longList += QByteArray::number(id) + ',';

    // The plain routes, traversal and broken escapes are asked for over HTTP, in
    // tst_serverhttp; fuzz_route checks what any target may map to.
    row("pick, UTF-8", pick + "Caf%C3%A9", Kind::RandomPick, QString::fromUtf8("Café"));
    row("pick, other parameters", "/calender/queryrandompic.php?x=1&category=Fractals&y",
        Kind::RandomPick, "Fractals");
    row("pick, truncated escape", pick + "ab%2", Kind::BadRequest);
    row("pick, invalid UTF-8", pick + "%C3%28", Kind::BadRequest);
    row("gallery, junk entries", gallery + "12,,abc,-5,99999999999999999999, 7", Kind::Gallery, {},
        {12, 7});
    row("gallery, no list", "/calender/mygallery.php", Kind::Gallery);
    row("gallery, capped", gallery + longList, Kind::Gallery, {},
        ids.first(RequestRoute::maxGalleryIds));
    row("picture file", "/pictures/42.png", Kind::PictureFile, {}, {42}, "png");
    row("thumbnail, png", "/thumbs/42.png", Kind::NotFound);
    row("picture page with suffix", "/picture/42.jpg", Kind::NotFound);
    row("picture file without suffix", "/pictures/42", Kind::NotFound);
    row("case matters", "/Calender/curpic.dat", Kind::NotFound);
    row("trailing slash", "/calender/curpic.dat/", Kind::NotFound);
    row("empty", "", Kind::BadRequest);
}

void TestServerRoute::fromTarget()
{
    QFETCH(QByteArray, target);
    QFETCH(int, kind);
    QFETCH(QString, category);
    QFETCH(QList<quint64>, ids);
    QFETCH(QString, suffix);
    const RequestRoute route = RequestRoute::fromTarget(target.toStdString());
    QCOMPARE(int(route.kind), kind);
    QCOMPARE(route.category, category);
    QCOMPARE(route.ids, ids);
    QCOMPARE(route.suffix, suffix);
}

void TestServerRoute::pictureId_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("attempt");
    QTest::addColumn<quint64>("id");
    // Saved galleries hold these numbers: a change of the id rule orphans them all.
    QTest::newRow("plain") << "Abstract/Drift.jpg" << 0 << 1815415690520408ULL;
    QTest::newRow("UTF-8") << QString::fromUtf8("Light & Shadow/Café.png") << 0
                           << 7583846010435061ULL;
    QTest::newRow("salted after a collision") << "Abstract/Drift.jpg" << 1 << 8777291872988293ULL;
}

void TestServerRoute::pictureId()
{
    QFETCH(QString, path);
    QFETCH(int, attempt);
    QFETCH(quint64, id);
    QCOMPARE(server::pictureId(path, attempt), id);
}

QTEST_APPLESS_MAIN(TestServerRoute)
#include "tst_serverroute.moc"
