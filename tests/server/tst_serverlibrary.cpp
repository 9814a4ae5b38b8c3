// Reading a picture folder: what counts as a picture, what is never served, and ids that
// survive restarts and library changes.
#include "Library.h"
#include "LibraryStore.h"
#include "TestLibrary.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using server::Library;
using server::LibraryStore;

namespace {

QMap<QString, quint64> idsByPath(const Library& library)
{
    QMap<QString, quint64> ids;
    for (const server::Picture& picture : library.pictures())
        ids.insert(picture.relativePath, picture.id);
    return ids;
}

QStringList paths(const Library& library)
{
    return idsByPath(library).keys();
}

} // namespace

class TestServerLibrary : public QObject
{
    Q_OBJECT
private slots:
    void scanTakesPicturesOfCategoryFolders();
    void scanSkipsWhatPointsOutside();
    void idsSurviveLibraryChanges();
    void candidatesMatchTheCategoryExactly();
    void storeRescans();
};

void TestServerLibrary::scanTakesPicturesOfCategoryFolders()
{
    TestLibrary dir;
    dir.addPicture("Abstract", "a.jpg");
    dir.addPicture("Abstract", "b.JPEG");
    dir.addPicture("Patterns", "c.png");
    dir.addPicture("Patterns", ".hidden.jpg");
    dir.addPicture("Patterns/nested", "deep.jpg");
    dir.addPicture(".cache", "x.jpg");
    dir.addPicture("Empty", "notes.txt");
    dir.addPicture(".", "loose.jpg");

    const Library library = Library::scan(dir.path());
    QCOMPARE(paths(library), QStringList({"Abstract/a.jpg", "Abstract/b.JPEG", "Patterns/c.png"}));
    QCOMPARE(library.categories(), QStringList({"Abstract", "Patterns"}));
    const server::Picture* jpeg = library.find(idsByPath(library).value("Abstract/b.JPEG"));
    QVERIFY(jpeg);
    QCOMPARE(jpeg->mimeType(), "image/jpeg");
    QCOMPARE(jpeg->fileName(), QString::number(jpeg->id) + ".jpg");
    QCOMPARE(library.find(idsByPath(library).value("Patterns/c.png"))->mimeType(), "image/png");
    QVERIFY(Library::scan(dir.path() + "/nowhere").pictures().isEmpty());
}

void TestServerLibrary::scanSkipsWhatPointsOutside()
{
    TestLibrary outside;
    const QString secret = outside.addPicture("Secrets", "secret.jpg");
    TestLibrary dir;
    const QString inside = dir.addPicture("Abstract", "a.jpg");
    QVERIFY(QFile::link(secret, dir.path() + "/Abstract/link-out.jpg"));
    QVERIFY(QFile::link(outside.path() + "/Secrets", dir.path() + "/Secrets"));
    QVERIFY(QFile::link(inside, dir.path() + "/Abstract/link-in.jpg"));
    QVERIFY(QFile::link(dir.path() + "/missing.jpg", dir.path() + "/Abstract/dangling.jpg"));

    const Library library = Library::scan(dir.path());
    QCOMPARE(paths(library), QStringList({"Abstract/a.jpg", "Abstract/link-in.jpg"}));
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    for (const server::Picture& picture : library.pictures())
        QVERIFY2(picture.absolutePath.startsWith(root + '/'), qPrintable(picture.absolutePath));
}

void TestServerLibrary::idsSurviveLibraryChanges()
{
    TestLibrary dir;
    dir.addPictures("Abstract", 5);
    dir.addPictures("Fractals", 3);
    const QMap<QString, quint64> before = idsByPath(Library::scan(dir.path()));

    dir.addPictures("Abstract", 4, "new");
    dir.addPictures("Aardvarks", 3);
    QVERIFY(QFile::remove(dir.path() + "/Fractals/p0.jpg"));
    const Library after = Library::scan(dir.path());
    const QMap<QString, quint64> afterIds = idsByPath(after);

    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key() != "Fractals/p0.jpg")
            QCOMPARE(afterIds.value(it.key()), it.value());
    }
    // The widget names a saved gallery file after the last segment of the picture URL.
    QSet<QString> fileNames;
    for (const server::Picture& picture : after.pictures())
        fileNames.insert(picture.fileName());
    QCOMPARE(fileNames.size(), after.pictures().size());
}

void TestServerLibrary::candidatesMatchTheCategoryExactly()
{
    TestLibrary dir;
    dir.addPictures("Light & Shadow", 2);
    dir.addPictures("Light", 3);
    const Library library = Library::scan(dir.path());
    QCOMPARE(library.candidates("Light & Shadow").size(), 2);
    QCOMPARE(library.candidates("Light").size(), 3);
    QCOMPARE(library.candidates("light").size(), 0);
    QCOMPARE(library.candidates({}).size(), 5);
}

void TestServerLibrary::storeRescans()
{
    TestLibrary dir;
    dir.addPictures("Abstract", 2);
    LibraryStore eager(dir.path(), std::chrono::milliseconds(0));
    LibraryStore lazy(dir.path(), std::chrono::hours(1));
    const auto first = lazy.library();
    QCOMPARE(eager.library()->pictures().size(), 2);

    dir.addPictures("Patterns", 1);
    QVERIFY(QFile::remove(dir.path() + "/Abstract/p0.jpg"));
    dir.touchFolders();
    QCOMPARE(paths(*eager.library()), QStringList({"Abstract/p1.jpg", "Patterns/p0.jpg"}));
    // Between checks the snapshot stays, until a rescan is asked for.
    QCOMPARE(lazy.library(), first);
    lazy.rescan();
    QCOMPARE(paths(*lazy.library()), paths(*eager.library()));
    QCOMPARE(first->pictures().size(), 2);
}

QTEST_GUILESS_MAIN(TestServerLibrary)
#include "tst_serverlibrary.moc"
