// SPDX-License-Identifier: GPL-3.0-or-later
// Mapping of untrusted request input (targets, ranges, forwarded addresses, pick
// cookies), and the ids that saved galleries hold. The Host header's reading is checked
// by fuzz_serverpages, over odd hosts in its corpus.
#include "ByteRange.h"
#include "ClientAddress.h"
#include "PickCookie.h"
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
    void byteRange_data();
    void byteRange();
    void clientAddress_data();
    void clientAddress();
    void pickCookie_data();
    void pickCookie();
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
    QList<quint64> ids(RequestRoute::maxGalleryIds);
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
    row("gallery, the most it lists", gallery + longList, Kind::Gallery, {}, ids);
    row("gallery, one id more", gallery + longList + "1", Kind::GalleryTooLong);
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

void TestServerRoute::byteRange_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("length");
    using K = server::ByteRange::Kind;
    const auto row = [](const char* header, qint64 size, K kind, qint64 first = 0,
                        qint64 length = 0) {
        QTest::newRow(header) << QByteArray(header) << size << int(kind) << first << length;
    };
    row("", 10, K::Whole);
    row("bytes=2-4", 10, K::Part, 2, 3);
    row("bytes=2-", 10, K::Part, 2, 8);
    row("bytes=5-99", 10, K::Part, 5, 5);
    row("bytes=-3", 10, K::Part, 7, 3);
    row("bytes=-30", 10, K::Part, 0, 10);
    row("bytes=10-", 10, K::Unsatisfiable);
    row("bytes=-0", 10, K::Unsatisfiable);
    row("bytes=0-", 0, K::Unsatisfiable);
    row("bytes=999999999999999999999-", 10, K::Whole); // past any size: not a number
    row("bytes=4-2", 10, K::Whole);
    row("bytes=0-1,4-5", 10, K::Whole);
    row("bytes=x-", 10, K::Whole);
    row("items=0-1", 10, K::Whole);
}

void TestServerRoute::byteRange()
{
    QFETCH(QByteArray, header);
    QFETCH(qint64, size);
    QFETCH(int, kind);
    const auto range = server::ByteRange::parse(header.toStdString(), size);
    QCOMPARE(int(range.kind), kind);
    if (range.kind == server::ByteRange::Kind::Part) {
        QTEST(range.first, "first");
        QTEST(range.length, "length");
    }
}

void TestServerRoute::clientAddress_data()
{
    QTest::addColumn<QByteArray>("peer");
    QTest::addColumn<QByteArrayList>("forwardedFor"); // one item per header
    QTest::addColumn<QByteArray>("client");
    const QByteArray proxy = "127.0.0.1";
    QTest::newRow("the proxy's last entry")
        << proxy << QByteArrayList{"6.6.6.6, 1.1.1.1, 10.0.0.7"} << QByteArray("10.0.0.7");
    QTest::newRow("last of several headers")
        << proxy << QByteArrayList{"1.1.1.1", " 10.0.0.8 "} << QByteArray("10.0.0.8");
    QTest::newRow("IPv6, mapped proxy")
        << QByteArray("::ffff:127.0.0.1") << QByteArrayList{"fe80::1"} << QByteArray("fe80::1");
    QTest::newRow("not from the proxy")
        << QByteArray("10.0.0.9") << QByteArrayList{"10.0.0.7"} << QByteArray("10.0.0.9");
    QTest::newRow("no header") << proxy << QByteArrayList{} << proxy;
    QTest::newRow("not an address") << proxy << QByteArrayList{"10.0.0.7, evil"} << proxy;
}

void TestServerRoute::clientAddress()
{
    QFETCH(QByteArray, peer);
    QFETCH(QByteArrayList, forwardedFor);
    std::vector<std::string_view> headers;
    for (const QByteArray& header : forwardedFor)
        headers.emplace_back(header.constData(), size_t(header.size()));
    QTEST(
        QByteArray::fromStdString(server::clientAddress(peer.toStdString(), headers, "127.0.0.1")),
        "client");
    QCOMPARE(server::clientAddress(peer.toStdString(), headers, ""), peer.toStdString());
}

void TestServerRoute::pickCookie_data()
{
    namespace PickCookie = server::PickCookie;
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("id"); // -1: the pick found nothing
    QTest::addColumn<QList<quint64>>("recent");
    const QByteArray key(32, 'k');
    const auto signedValue = [](const PickCookie::Pick& pick, const QByteArray& key) {
        const std::string header = PickCookie::header(pick, key);
        const size_t start = PickCookie::name.size() + 1;
        return QByteArray::fromStdString(header.substr(start, header.find(';') - start));
    };
    const auto row = [](const char* name, const QByteArray& value, qint64 id = 0,
                        const QList<quint64>& recent = {}) {
        QTest::newRow(name) << value << (id != 0) << id << recent;
    };
    const QByteArray seven = signedValue({7}, key);
    row("a pick", seven, 7, {7});
    row("no picture", signedValue({}, key), -1);
    row("a pick and the ones before", signedValue({7, {7, 3, 12, 9999999999999999, 1}}, key), 7,
        {7, 3, 12, 9999999999999999, 1});
    row("no picture, the ones before kept", signedValue({std::nullopt, {3, 12}}, key), -1, {3, 12});
    row("another id, same signature", "8" + seven.mid(1));
    row("signed with another key", signedValue({7}, QByteArray(32, 'x')));
    QByteArray lastByteRight = seven;
    for (qsizetype i = seven.indexOf('.') + 1; i < seven.size() - 1; ++i)
        lastByteRight[i] = seven[i] == 'A' ? 'B' : 'A';
    row("signature right in its last byte only", lastByteRight);
    row("signature cut", seven.chopped(1));
    row("no signature", "7");
    row("empty", {});
}

void TestServerRoute::pickCookie()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, valid);
    QFETCH(qint64, id);
    const auto pick = server::PickCookie::read(value.toStdString(), QByteArray(32, 'k'));
    QCOMPARE(pick.has_value(), valid);
    if (pick) {
        QCOMPARE(pick->id ? qint64(*pick->id) : -1, id);
        QTEST(QList<quint64>(pick->recent.begin(), pick->recent.end()), "recent");
    }
}

QTEST_APPLESS_MAIN(TestServerRoute)
#include "tst_serverroute.moc"
