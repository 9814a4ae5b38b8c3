// Start-up over a damaged state folder: for a fixed-seed run of rounds, every state
// file is good, cut short, garbage, oddly lined, a folder, unreadable or missing, and
// the window must still come up at its size with valid choices, writing nothing.
#include "FormFixture.h"

#include <QBuffer>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int rounds = 200;
constexpr quint32 seed = 20261206;
// Past the 1 MiB that the readers take from a state file.
constexpr qsizetype overCap = (1 << 20) + 1;

QByteArray picture(QSize size, const QColor& colour, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray record(int id)
{
    return "http://127.0.0.1:8642/picture/" + QByteArray::number(id) +
           "\r\nhttp://127.0.0.1:8642/pictures/" + QByteArray::number(id) + ".jpg\r\n" +
           QByteArray::number(id) + "\r\nFractals\r\n";
}

// The good contents of every state file, by its path in the folder.
const QMap<QString, QByteArray>& goodFiles()
{
    static const QMap<QString, QByteArray> files = {
        {"Settings.dat", " 3 \r\n 4 \r\n"},
        {"Categories.dat", "Abstract\r\nFractals\r\nLandscapes\r\nLumi\xc3\xa8re\r\n"},
        {"image.jpg", picture({120, 90}, Qt::darkCyan, "JPEG")},
        {"image.jpg.dat", record(12)},
        {"default.jpg", picture({94, 72}, Qt::darkGray, "JPEG")},
        {"MyGallery/12.jpg.data", record(12)},
        {"MyGallery/40.png.data", record(40)},
        {"skin/skin.png", picture({239, 399}, Qt::darkGreen, "PNG")},
        {"skin/calendar.png", picture({197, 132}, Qt::black, "PNG")},
        {"skin/settings.png", picture({205, 137}, Qt::darkBlue, "PNG")},
        {"skin/marker.png", picture({17, 17}, Qt::red, "PNG")},
    };
    return files;
}

// What one file, folder or link in the state folder is, to the byte.
struct Entry
{
    QString kind;
    QByteArray bytes;
    QDateTime modified;
    QFileDevice::Permissions permissions;
    bool operator==(const Entry&) const = default;
};

QMap<QString, Entry> snapshot(const QString& root)
{
    QMap<QString, Entry> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        Entry entry{info.isSymLink() ? "link to " + info.symLinkTarget()
                    : info.isDir()   ? "folder"
                                     : "file",
                    {},
                    info.lastModified(),
                    info.permissions()};
        QFile file(info.filePath());
        if (entry.kind == "file" && file.open(QIODevice::ReadOnly))
            entry.bytes = file.readAll();
        entries.insert(QDir(root).relativeFilePath(info.filePath()), entry);
    }
    return entries;
}

// Gives every entry its owner's rights back on the way out, so the folder can be
// emptied whatever a round left in it.
struct ModesBack
{
    QString root;
    ~ModesBack()
    {
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QFile::setPermissions(root, all);
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (!info.isSymLink())
                QFile::setPermissions(info.filePath(), all);
        }
    }
};

class Damage
{
public:
    explicit Damage(QRandomGenerator& random) : m_random(random) {}

    // Makes the folders the files go in, or sometimes a file or nothing in their place;
    // returns how, for the log.
    QString makeFolder(const QString& root, const QString& name)
    {
        const QString path = root + '/' + name;
        switch (m_random.bounded(8)) {
        case 0:
            return "missing";
        case 1:
            return put(path, "not a folder", "a file");
        default:
            QDir().mkpath(path);
            return "a folder";
        }
    }

    // Writes `name` in `root` damaged one way or another; returns how, for the log.
    QString write(const QString& root, const QString& name, const QByteArray& good)
    {
        const QString path = root + '/' + name;
        if (!QFileInfo(QFileInfo(path).path()).isDir())
            return "no folder for it";
        switch (m_random.bounded(13)) {
        case 0:
            return put(path, good, "good");
        case 1:
            return "missing";
        case 2:
            return put(path, {}, "empty");
        case 3:
            return put(path, good.left(m_random.bounded(good.size() + 1)), "cut short");
        case 4:
            return put(path, garbage(m_random.bounded(4096)), "binary garbage");
        case 5:
            return put(path, QByteArray(m_random.bounded(70'000), 'x') + "\r\n" + good,
                       "huge first line");
        case 6:
            return put(path, QByteArray(overCap, '\n'), "past the size cap");
        case 7:
            return put(path, mixedLineEnds(good), "mixed line ends");
        case 8:
            return put(path, invalidUtf8(good), "invalid UTF-8");
        case 9:
            QDir().mkpath(path + "/inner");
            return "a folder";
        case 10:
            put(path, good, "");
            QFile::setPermissions(path, {});
            return "unreadable";
        case 11:
            return put(path, anotherPicture(), "another picture");
        default:
            QFile::link(root + "/nowhere", path);
            return "dangling link";
        }
    }

private:
    static QString put(const QString& path, const QByteArray& bytes, const QString& how)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return how;
    }

    QByteArray garbage(qsizetype size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char& c : bytes)
            c = char(m_random.bounded(256));
        return bytes;
    }

    // A good picture of any size, in a format that need not match the name.
    QByteArray anotherPicture()
    {
        static const QList<const char*> formats = {"PNG", "JPEG", "BMP"};
        return picture({m_random.bounded(1, 600), m_random.bounded(1, 600)},
                       QColor::fromRgb(m_random.generate()),
                       formats[m_random.bounded(int(formats.size()))]);
    }

    QByteArray mixedLineEnds(const QByteArray& good)
    {
        static const QList<QByteArray> ends = {"\r\n", "\n", "\r", "\r\r\n", "\n\r", ""};
        QByteArray bytes;
        for (const QByteArray& line : QByteArray(good).replace("\r\n", "\n").split('\n'))
            bytes += line + ends[m_random.bounded(int(ends.size()))];
        return bytes;
    }

    QByteArray invalidUtf8(QByteArray bytes)
    {
        static const QList<QByteArray> broken = {"\xff",
                                                 "\xc3",
                                                 "\xe6\x97",
                                                 "\xed\xa0\x80",
                                                 "\xc0\xaf",
                                                 "\xf4\x90\x80\x80",
                                                 QByteArray(1, '\0')};
        for (int i = m_random.bounded(1, 6); i > 0; --i)
            bytes.insert(m_random.bounded(bytes.size() + 1),
                         broken[m_random.bounded(int(broken.size()))]);
        return bytes;
    }

    QRandomGenerator& m_random;
};

} // namespace

class TestStateTorture : public QObject
{
    Q_OBJECT
private slots:
    void startsOverAnyStateFolder()
    {
        QRandomGenerator random(seed);
        Damage damage(random);
        for (int round = 0; round < rounds; ++round) {
            FormFixture f;
            const ModesBack modesBack{f.dir.path()};
            QDir(f.dir.path()).rmdir("MyGallery");
            QStringList how;
            for (const QString folder : {"MyGallery", "skin"})
                how << folder + ": " + damage.makeFolder(f.dir.path(), folder);
            for (auto it = goodFiles().cbegin(); it != goodFiles().cend(); ++it)
                how << it.key() + ": " + damage.write(f.dir.path(), it.key(), it.value());
            const QByteArray context =
                QString("round %1, %2").arg(round).arg(how.join("; ")).toUtf8();
            const QMap<QString, Entry> before = snapshot(f.dir.path());

            Form1& form = f.start("http://127.0.0.1:9");
            form.show();
            QVERIFY2(QTest::qWaitForWindowExposed(&form), context);
            QVERIFY2(form.isVisible() && form.size() == QSize(235, 392), context);
            QVERIFY2(!form.grab().isNull(), context);
            QVERIFY2(form.Combo1->currentIndex() >= -1 && form.Combo1->currentIndex() < 5, context);
            QVERIFY2(form.Combo2->currentIndex() >= -1 &&
                         form.Combo2->currentIndex() < form.Combo2->count(),
                     context);
            QVERIFY2(form.Combo2->count() >= 2, context);
            QVERIFY2(snapshot(f.dir.path()) == before, context);
        }
    }
};

QTEST_MAIN(TestStateTorture)
#include "tst_statetorture.moc"
