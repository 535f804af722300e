#include "LinkTestSupport.h"
#include "live/LinkNames.h"
#include "live/LivePublisher.h"
#include "live/LiveTextBlock.h"
#include "store/MessageRecord.h"
#include "support/TestEnvironment.h"

using namespace corvane;
using corvane::test::Received;

class LiveTextTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fullBlock();
    void registrationDots_data();
    void registrationDots();
    void emptyLabelAndEmptyText();
    void monthsAreEnglish();
    void publisherServesTheLastBlock();
    void uplinksFollowTheSetting();

private:
    std::unique_ptr<corvane::test::TestEnvironment> m_env;
    QTemporaryDir m_runtime;
};

void LiveTextTest::initTestCase()
{
    m_env = std::make_unique<corvane::test::TestEnvironment>();
    corvane::test::useRuntimeDir(m_runtime);
}

void LiveTextTest::fullBlock()
{
    const QString block = LiveTextBlock::build("2", "G-ABCD", "H1", "5", "M01A", "BA0123",
                                               "LINE ONE\r\nLINE TWO", "05/03/2024 14:07");
    QCOMPARE(block, QString("ACARS mode: 2  Aircraft reg: G-ABCD.\r\n"
                            "Message label: H1  Block id: 5  Msg. no: M01A\r\n"
                            "Flight id: BA0123\r\n"
                            "Message content:-\r\n"
                            "LINE ONE\r\nLINE TWO\r\n") +
                        QString(58, u'-') + "[05 Mar 2024 14:07]");
}

void LiveTextTest::registrationDots_data()
{
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("shown");
    QTest::newRow("2") << "AB"
                       << "AB";
    QTest::newRow("3") << "ABC"
                       << "ABC....";
    QTest::newRow("4") << "N123"
                       << "N123...";
    QTest::newRow("5") << "G-ABC"
                       << "G-ABC..";
    QTest::newRow("6") << "N12345"
                       << "N12345.";
    QTest::newRow("7") << "G-ABCDE"
                       << "G-ABCDE";
    QTest::newRow("8") << ".N123456"
                       << ".N123456";
    QTest::newRow("empty") << ""
                           << "";
}

void LiveTextTest::registrationDots()
{
    QFETCH(QString, reg);
    QFETCH(QString, shown);
    const QString block =
        LiveTextBlock::build("2", reg, "H1", "5", "M01A", "BA1", "x", "01/01/2024 00:00");
    QCOMPARE(block.section("\r\n", 0, 0), "ACARS mode: 2  Aircraft reg: " + shown);
}

void LiveTextTest::emptyLabelAndEmptyText()
{
    const QString block =
        LiveTextBlock::build("2", "G-ABCD", "", "5", "M01A", "BA1", "", "31/12/2023 23:59");
    const QStringList lines = block.split("\r\n");
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[1], "Message label:     Block id: 5  Msg. no: M01A");
    QCOMPARE(lines[3], QString(58, u'-') + "[31 Dec 2023 23:59]");
    QVERIFY(!block.endsWith("\n"));
}

void LiveTextTest::monthsAreEnglish()
{
    // Whatever the machine's language, the block names months in English.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German));
    const QStringList expected = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m) {
        const QString block =
            LiveTextBlock::build("2", "G-ABCD", "H1", "5", "M01A", "BA1", "",
                                 QStringLiteral("09/%1/2024 08:05").arg(m, 2, 10, QChar(u'0')));
        QVERIFY2(block.endsWith("[09 " + expected[m - 1] + " 2024 08:05]"), qPrintable(block));
    }
    QLocale::setDefault(saved);
    // Text that is no time at all is shown as it stands.
    QVERIFY(LiveTextBlock::build("2", "G-ABCD", "H1", "5", "M01A", "BA1", "", "garbled")
                .endsWith("[garbled]"));
}

void LiveTextTest::publisherServesTheLastBlock()
{
    LivePublisher publisher;
    QString error;
    QVERIFY2(publisher.start(&error), qPrintable(error));
    QCOMPARE(publisher.server().socketPath(), LinkNames::socketPath("Corvane", "ACARS"));

    LinkClient client;
    Received r(client);
    QVERIFY(client.open("Corvane", "ACARS", "LiveData", &error));
    QTRY_COMPARE(r.values, QStringList{"DDEServer"});

    MessageRecord m;
    m.mTime = *MessageTime::parse(QStringLiteral("05/03/2024 14:07"));
    m.mMode = "2";
    m.mReg = "G-ABC";
    m.mLabel = "H1";
    m.mBlk = "5";
    m.mNo = "M01A";
    m.mFlight = "BA0123";
    m.mText = "HELLO";
    QVERIFY(publisher.publish(m));
    QCOMPARE(m.mReg, QString("G-ABC")); // the record keeps its registration
    QTRY_COMPARE(r.values.size(), 2);
    QCOMPARE(r.values[1], LiveTextBlock::build(m));
    QVERIFY(r.values[1].startsWith("ACARS mode: 2  Aircraft reg: G-ABC..\r\n"));

    // Stopping keeps the value; a restart serves it again.
    publisher.stop();
    QTRY_VERIFY(r.disconnected);
    QVERIFY(publisher.start());
    LinkClient again;
    Received r2(again);
    QVERIFY(again.open("Corvane", "ACARS", "LiveData"));
    QTRY_COMPARE(r2.values, QStringList{LiveTextBlock::build(m)});
}

void LiveTextTest::uplinksFollowTheSetting()
{
    LivePublisher publisher;
    MessageRecord up;
    up.setUplink();
    up.mTime = *MessageTime::parse(QStringLiteral("05/03/2024 14:07"));
    publisher.setPassUplinks(false);
    QVERIFY(!publisher.publish(up));
    QCOMPARE(publisher.value(), QString("DDEServer"));
    publisher.setPassUplinks(true);
    QVERIFY(publisher.publish(up));
    QVERIFY(publisher.value().contains("Flight id: Uplink\r\n"));
}

QTEST_GUILESS_MAIN(LiveTextTest)
#include "tst_livetext.moc"
