// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a picture folder: what counts as a picture, what is never served, and when
// the folder is read again; and the key file that servers sharing a library share.
#include "Library.h"
#include "LibraryStore.h"
#include "PickKey.h"
#include "ScaledPictures.h"
#include "TestLibrary.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

namespace {

// The served suffix of each picture, by relative path.
QMap<QString, QString> listing(const server::Library& library)
{
    QMap<QString, QString> suffixes;
    for (const server::Picture& picture : library.pictures())
        suffixes.insert(picture.relativePath, picture.suffix);
    return suffixes;
}

} // namespace

class TestServerLibrary : public QObject
{
    Q_OBJECT
private slots:
    void scan_data();
    void scan();
    void store_data();
    void store();
    void pickKeyMadeOnce();
    void scaledSteps_data();
    void scaledSteps();
    void scaledPicturesBounded();
};

void TestServerLibrary::scan_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("suffix"); // served as; empty: not served
    const auto row = [](const char* name, const char* path, const char* suffix) {
        QTest::newRow(name) << QString(path) << QString(suffix);
    };
    row("jpeg", "A/a.jpg", "jpg");
    row("jpeg, long upper-case suffix", "A/b.JPEG", "jpg");
    row("png", "P/c.png", "png");
    row("other file", "E/notes.txt", "");
    row("hidden file", "A/.hidden.jpg", "");
    row("hidden folder", ".cache/x.jpg", "");
    row("loose file", "loose.jpg", "");
    row("nested folder", "A/nested/deep.jpg", "");
    row("link to a picture outside", "A/out.jpg", "");
    row("link to a folder outside", "S/secret.jpg", "");
    row("dangling link", "A/gone.jpg", "");
    row("link inside the library", "A/in.jpg", "jpg");
}

void TestServerLibrary::scan()
{
    QFETCH(QString, path);
    QFETCH(QString, suffix);
    TestLibrary dir;
    for (const char* picture : {"A/a.jpg", "A/b.JPEG", "P/c.png", "E/notes.txt", "A/.hidden.jpg",
                                ".cache/x.jpg", "./loose.jpg", "A/nested/deep.jpg"})
        dir.addPicture(QFileInfo(picture).path(), QFileInfo(picture).fileName());
    TestLibrary outside;
    const QString secret = outside.addPicture("S", "secret.jpg");
    QVERIFY(QFile::link(secret, dir.path() + "/A/out.jpg"));
    QVERIFY(QFile::link(outside.path() + "/S", dir.path() + "/S"));
    QVERIFY(QFile::link(dir.path() + "/missing.jpg", dir.path() + "/A/gone.jpg"));
    QVERIFY(QFile::link(dir.path() + "/A/a.jpg", dir.path() + "/A/in.jpg"));
    QCOMPARE(listing(server::Library::scan(dir.path())).value(path), suffix);
    // A folder that is not there is an empty library, not the working directory.
    QVERIFY(server::Library::scan(dir.path() + "/nowhere").pictures().isEmpty());
}

void TestServerLibrary::store_data()
{
    // A category is added and a picture removed after the first snapshot.
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<bool>("rescan");
    QTest::addColumn<bool>("fresh"); // a new snapshot that has the change
    QTest::newRow("check due") << 0 << false << true;
    QTest::newRow("check not due") << 3600000 << false << false;
    QTest::newRow("rescan asked for") << 3600000 << true << true;
}

void TestServerLibrary::store()
{
    QFETCH(int, intervalMs);
    QFETCH(bool, rescan);
    QFETCH(bool, fresh);
    TestLibrary dir;
    dir.addPictures("A", 2);
    server::LibraryStore store(dir.path(), std::chrono::milliseconds(intervalMs));
    const auto first = store.library();
    dir.addPictures("P", 1);
    QVERIFY(QFile::remove(dir.path() + "/A/p0.jpg"));
    if (rescan)
        store.rescan();
    const QStringList before = {"A/p0.jpg", "A/p1.jpg"};
    const QStringList after = {"A/p1.jpg", "P/p0.jpg"};
    QCOMPARE(listing(*store.library()).keys(), fresh ? after : before);
    QCOMPARE(listing(*first).keys(), before); // requests that hold the old snapshot keep it whole
}

// Servers starting at once on a new key file all end up with the one key that landed,
// and nothing half-written or temporary is ever seen or left.
void TestServerLibrary::pickKeyMadeOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("data/artcal-server/key");
    std::vector<server::PickKey> keys(8);
    std::vector<std::thread> starts;
    for (server::PickKey& key : keys)
        starts.emplace_back([&key, &path] { key = server::PickKey::loadOrCreate(path); });
    for (std::thread& start : starts)
        start.join();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written.size(), 65);
    for (const server::PickKey& key : keys) {
        QCOMPARE(key.key, written);
        QCOMPARE(key.problem, QString());
    }
    QCOMPARE(QDir(dir.filePath("data/artcal-server")).entryList(QDir::Files), QStringList{"key"});
}

// Asked sizes round up, each side, to steps up to a 4K screen's.
void TestServerLibrary::scaledSteps_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("step");
    QTest::newRow("the shown picture") << QSize(188, 144) << QSize(256, 256);
    QTest::newRow("a wide screen") << QSize(2560, 1440) << QSize(4096, 2048);
    QTest::newRow("a 4K screen") << QSize(3840, 2160) << QSize(4096, 4096);
    QTest::newRow("past the steps") << QSize(4097, 100) << QSize();
}
void TestServerLibrary::scaledSteps()
{
    QFETCH(QSize, asked);
    QTEST(server::ScaledPictures::step(asked), "step");
}

// However many sizes are asked for, the folder of scaled pictures stays within its bytes,
// and the one just made or served is kept.
void TestServerLibrary::scaledPicturesBounded()
{
    QTemporaryDir library;
    QTemporaryDir cache;
    QImage noise(1600, 1200, QImage::Format_RGB32); // compresses as little as photos do
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(noise.scanLine(y));
        QRandomGenerator(y).fillRange(line, noise.width());
    }
    const QString path = library.filePath("big.jpg");
    QVERIFY(noise.save(path));
    const server::Picture picture{7, "A", "A/big.jpg", path, "jpg"};
    constexpr qint64 capacity = 1600 * 1024;
    server::ScaledPictures scaled(cache.path(), capacity);
    for (const QSize step : {QSize(512, 512), {1024, 1024}, {1024, 512}, {512, 1024}, {256, 64}}) {
        const QString file = scaled.file(picture, step);
        QVERIFY(QFileInfo(file).isFile());
        qint64 bytes = 0;
        for (const QFileInfo& kept : QDir(cache.path()).entryInfoList(QDir::Files))
            bytes += kept.size();
        QVERIFY2(bytes <= capacity, qPrintable(QString::number(bytes)));
    }
}

QTEST_GUILESS_MAIN(TestServerLibrary)
#include "tst_serverlibrary.moc"
