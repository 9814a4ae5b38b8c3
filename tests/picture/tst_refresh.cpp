// The refresh cycle against the real picture server on loopback: timed, by category,
// from My Gallery, manual, and the picture's link.
#include "FormFixture.h"
#include "settings/SettingsPanel.h"
#include "ServerThread.h"
#include "TestLibrary.h"
#include "app/TextLines.h"
#include "picture/PictureInstaller.h"
#include "picture/RefreshCycle.h"

#include <QSignalSpy>
#include <QTest>

class TestRefresh : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestLibrary> m_library;
    std::unique_ptr<ServerThread> m_server;

    QString base() const { return QString("http://127.0.0.1:%1").arg(m_server->port()); }

    Form1& start(FormFixture& f, const QByteArray& settings)
    {
        f.write("Settings.dat", settings);
        f.write("Categories.dat", "Abstract\r\n  Light & Shadow \r\nC++\r\n");
        return f.start(base());
    }
    // Runs `start` and waits until the refresh it started has ended.
    template <typename Start>
    static void refresh(Form1& form, Start start)
    {
        QSignalSpy ended(&form.installer(), &PictureInstaller::ended);
        start();
        QTRY_VERIFY_WITH_TIMEOUT(ended.size() > 0, 10000);
    }
    static void refreshNow(Form1& form)
    {
        refresh(form, [&] { form.settingsPanel().Label6_Click(); });
    }
    static QStringList record(const FormFixture& f) { return *TextLines::read(f.path("image.jpg.dat")); }

private slots:
    void initTestCase()
    {
        m_library = std::make_unique<TestLibrary>();
        m_library->addPictures("Abstract", 3, "a");
        m_library->addPictures("Light & Shadow", 3, "l");
        m_library->addPictures("C++", 2, "c");
        m_server = std::make_unique<ServerThread>(m_library->path());
    }
    void cleanupTestCase() { m_server.reset(); }

    // With no picture yet the first tick fetches at once; the next comes after the
    // interval.
    void timedRefresh()
    {
        FormFixture f;
        Form1& form = start(f, " 0 \r\n 0 \r\n");
        QVERIFY(form.DefaultPictureShown);
        QCOMPARE(form.Timer2->tag(), QString("0"));
        refresh(form, [&] {
            form.Timer2_Timer();
            QVERIFY(!form.Timer2->isActive());
        });
        QVERIFY(!form.DefaultPictureShown);
        QVERIFY(!form.Picture2->isVisibleTo(&form));
        const QStringList first = record(f);
        QCOMPARE(first.size(), 4);
        QVERIFY(first[1].startsWith(base() + "/pictures/"));
        QCOMPARE(form.Image1->tag(), first.join("!?!"));
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Timer2->tag(), QString("60"));
        // 59 ticks count down; the 60th fetches.
        for (int i = 0; i < 59; ++i)
            form.Timer2_Timer();
        QCOMPARE(form.Timer2->tag(), QString("1"));
        QVERIFY(!form.Downloading->isVisible());
        refresh(form, [&] {
            form.Timer2_Timer();
            QVERIFY(form.Downloading->isVisibleTo(&form));
        });
        QCOMPARE(form.Timer2->tag(), QString("60"));
    }

    void categoryRefresh_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("category");
        QTest::newRow("space and ampersand") << 3 << "Light & Shadow";
        QTest::newRow("plus signs") << 4 << "C++";
    }
    void categoryRefresh()
    {
        QFETCH(int, index);
        QFETCH(QString, category);
        FormFixture f;
        Form1& form = start(f, QString(" 1 \r\n %1 \r\n").arg(index).toUtf8());
        for (int i = 0; i < 3; ++i) {
            refreshNow(form);
            QCOMPARE(record(f).value(3), category);
        }
        QCOMPARE(form.CategoryQuery, QString());
    }

    void galleryWithOneFile()
    {
        FormFixture f;
        Form1& form = start(f, " 1 \r\n 1 \r\n");
        // Take one picture from the server, and keep its record as the only gallery file.
        form.Combo2->setCurrentIndex(0);
        refreshNow(form);
        const QStringList saved = record(f);
        QVERIFY(TextLines::write(f.path("MyGallery/" + saved[1].section('/', -1) + ".data"), saved));
        f.write("MyGallery/.hidden.data", "x\r\nhttp://127.0.0.1:1/x.jpg\r\n");
        f.write("MyGallery/notes.txt", "not a gallery file");
        QFile::remove(f.path("image.jpg"));
        form.Combo2->setCurrentIndex(1);
        for (int i = 0; i < 2; ++i) {
            refreshNow(form);
            QCOMPARE(record(f), saved);
            QVERIFY(QFile::exists(f.path("image.jpg")));
        }
        QVERIFY(form.Picture2->isVisibleTo(&form));
        QVERIFY(form.Label10->isVisibleTo(form.Picture2));
    }

    // An empty gallery installs nothing, and the cycle goes on.
    void emptyGallery()
    {
        FormFixture f;
        f.writePicture("image.jpg", Qt::red);
        Form1& form = start(f, " 1 \r\n 1 \r\n");
        form.settingsPanel().Label6_Click();
        QVERIFY(!form.Downloading->isVisibleTo(&form));
        QVERIFY(form.Label6->isEnabled());
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Timer2->tag(), QString("180"));
        QVERIFY(!QFile::exists(f.path("image.jpg.dat")));
        QDir(f.path("MyGallery")).removeRecursively();
        form.settingsPanel().Label6_Click();
        QVERIFY(!form.Downloading->isVisibleTo(&form));
        QVERIFY(form.Timer2->isActive());
    }

    // Manual mode: only the refresh button fetches, and the timer stays off.
    void manualMode()
    {
        FormFixture f;
        f.writePicture("image.jpg", Qt::red);
        Form1& form = start(f, " 4 \r\n 0 \r\n");
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Timer2->tag(), QString("0"));
        refresh(form, [&] { form.Timer2_Timer(); }); // the first tick after start fetches once
        QVERIFY(!form.Timer2->isActive());
        QCOMPARE(form.Timer2->tag(), QString("0"));
        const QStringList first = record(f);
        refreshNow(form);
        QVERIFY(!form.Timer2->isActive());
        QVERIFY(QFile::exists(f.path("image.jpg.dat")));
        QCOMPARE(record(f).size(), first.size());
    }

    void pictureLink()
    {
        FormFixture f;
        Form1& form = start(f, " 1 \r\n 0 \r\n");
        emit form.Image1->clicked(); // no record yet: nothing opens
        QCOMPARE(f.opened, QList<QUrl>());
        refreshNow(form);
        emit form.Image1->clicked();
        emit form.Image1->clicked();
        const QUrl page(record(f)[0]);
        QCOMPARE(f.opened, (QList<QUrl>{page, page}));
        QVERIFY(page.path().startsWith("/picture/"));
        // Only web pages are opened.
        form.Image1->setTag("file:///etc/passwd!?!x!?!1!?!y");
        emit form.Image1->clicked();
        form.Image1->setTag("http://127.0.0.1:1/page");
        emit form.Image1->clicked();
        QCOMPARE(f.opened.size(), 3);
        QCOMPARE(f.opened.last(), QUrl("http://127.0.0.1:1/page"));
    }
};

QTEST_MAIN(TestRefresh)
#include "tst_refresh.moc"
