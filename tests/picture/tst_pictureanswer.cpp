// The picture answer and the refresh countdown: pure rules.
#include "picture/Countdown.h"
#include "picture/PictureAnswer.h"
#include "platform/HttpResult.h"

#include <QTest>

class TestPictureAnswer : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four lines") << "p\nu\n7\nFractals" << QStringList{"p", "u", "7", "Fractals"};
        QTest::newRow("trailing LF") << "p\nu\n7\nFractals\n" << QStringList{"p", "u", "7", "Fractals"};
        QTest::newRow("pieces past four ignored") << "p\nu\n7\nF\nextra\nmore" << QStringList{"p", "u", "7", "F"};
        QTest::newRow("two lines") << "p\nu" << QStringList{"p", "u", "", ""};
        QTest::newRow("one line, an error page") << "<h1>Not Found</h1>" << QStringList{"<h1>Not Found</h1>", "", "", ""};
        QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
        QTest::newRow("CR LF lines lose their CR") << "p\r\nu\r\n7\r\nF\r\n" << QStringList{"p", "u", "7", "F"};
        QTest::newRow("only one CR dropped") << "p\r\r\nu" << QStringList{"p\r", "u", "", ""};
        QTest::newRow("empty middle line") << "p\n\n7\nF" << QStringList{"p", "", "7", "F"};
    }
    void parse()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, fields);
        QCOMPARE(PictureAnswer::parse(answer).toLines(), fields);
    }

    void fromTransfer_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("fetchable");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("answer") << true << QByteArray("p\nu\n7\nF\n") << true << "p\nu\n7\nF\n";
        QTest::newRow("spaces around") << true << QByteArray("  -1  ") << true << "-1";
        QTest::newRow("no answer: only spaces") << false << QByteArray() << true << "";
        QTest::newRow("cannot fetch at all") << false << QByteArray() << false << "-1";
        QTest::newRow("1500 bytes cut to 1000") << true << QByteArray(1500, 'x') << true << QString(1000, 'x');
        QTest::newRow("tab kept") << true << QByteArray("\t-1") << true << "\t-1";
    }
    void fromTransfer()
    {
        QFETCH(bool, ok);
        QFETCH(QByteArray, body);
        QFETCH(bool, fetchable);
        QFETCH(QString, trimmed);
        platform::HttpResult result;
        result.ok = ok;
        result.body = body;
        const QString text = PictureAnswer::fromTransfer(result, fetchable);
        QCOMPARE(text.size(), fetchable ? PictureAnswer::answerChars : 2);
        QCOMPARE(PictureAnswer::trimSpaces(text), trimmed);
    }

    void categoryQuery_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain") << "Fractals" << "?category=Fractals";
        QTest::newRow("outer spaces dropped") << "  Fractals " << "?category=Fractals";
        QTest::newRow("space and ampersand") << "Light & Shadow" << "?category=Light%20%26%20Shadow";
        QTest::newRow("plus stays a plus") << "C++" << "?category=C%2B%2B";
        QTest::newRow("hash") << "No #1" << "?category=No%20%231";
        QTest::newRow("non-ASCII as UTF-8") << "Lumière" << "?category=Lumi%C3%A8re";
    }
    void categoryQuery()
    {
        QFETCH(QString, category);
        QFETCH(QString, query);
        QCOMPARE(PictureAnswer::categoryQuery(category), query);
        // The server decodes the query back to exactly the name.
        QCOMPARE(QUrl::fromPercentEncoding(query.mid(10).toLatin1()), PictureAnswer::trimSpaces(category));
    }

    void countdown_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("due stays due") << "0" << "0";
        QTest::newRow("last tick") << "1" << "0";
        QTest::newRow("counting") << "180" << "179";
        QTest::newRow("not a number is due") << "x" << "0";
        QTest::newRow("negative is due") << "-3" << "0";
    }
    void countdown()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QCOMPARE(Countdown::afterTick(before), after);
    }
};

QTEST_APPLESS_MAIN(TestPictureAnswer)
#include "tst_pictureanswer.moc"
