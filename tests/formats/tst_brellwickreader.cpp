#include "AirNavFamilyFixtures.h"
#include "formats/BrellwickReader.h"

#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

class BrellwickReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void records_data();
    void records();
    void uplink();
    void downlinkTextLikeAnUplink_data();
    void downlinkTextLikeAnUplink();
    void importFollowsUplinkSetting_data();
    void importFollowsUplinkSetting();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void BrellwickReaderTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void BrellwickReaderTest::init()
{
    m_env->resetSettings();
}

// Each row's text is read whole; the columns describe the records kept.
void BrellwickReaderTest::records_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("regs");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QStringList>("bodies");
    QTest::addColumn<int>("dropped");

    Header a, b;
    a.reg = "G-AAAA";
    b.reg = "G-BBBB";
    const QByteArray body = lines({"LINE ONE", "LINE TWO"});
    QTest::newRow("body and no body")
        << brellwick(a, "01/02/2004 12:34", &body) + brellwick(b, "01/02/2004 12:35")
        << QStringList{"G-AAAA", "G-BBBB"} << QStringList{"01/02/2004 12:34", "01/02/2004 12:35"}
        << QStringList{QString::fromLatin1(body), ""} << 0;
    QTest::newRow("lines before the first time line")
        << "Brellwick ACARS decoder\r\nACARS mode: 2 not a record\r\n" +
               brellwick(a, "01/02/2004 12:34")
        << QStringList{"G-AAAA"} << QStringList{"01/02/2004 12:34"} << QStringList{""} << 0;
    QTest::newRow("seconds dropped") << brellwick(a, "01/02/2004 12:34:56") << QStringList{"G-AAAA"}
                                     << QStringList{"01/02/2004 12:34"} << QStringList{""} << 0;
    // The record under a bad time line is passed over up to the next one.
    QTest::newRow("time line not a date")
        << brellwick(a, "not a time") + brellwick(b, "01/02/2004 12:35") << QStringList{"G-BBBB"}
        << QStringList{"01/02/2004 12:35"} << QStringList{""} << 1;
    Header bad;
    bad.block = "!";
    QTest::newRow("block id not valid")
        << brellwick(bad, "01/02/2004 12:34") + brellwick(b, "01/02/2004 12:35")
        << QStringList{"G-BBBB"} << QStringList{"01/02/2004 12:35"} << QStringList{""} << 1;
    QTest::newRow("cut in the header")
        << brellwick(a, "01/02/2004 12:34") + brellwick(b, "01/02/2004 12:35").left(40)
        << QStringList{"G-AAAA"} << QStringList{"01/02/2004 12:34"} << QStringList{""} << 0;
}

void BrellwickReaderTest::records()
{
    QFETCH(QByteArray, text);
    BrellwickReader reader;
    const ReadResult r = readAll(reader, text);
    QStringList regs, times, bodies;
    for (const MessageRecord &m : r.records) {
        regs << m.mReg;
        times << m.mTime.toDisplay();
        bodies << m.mText;
    }
    QTEST(regs, "regs");
    QTEST(times, "times");
    QTEST(bodies, "bodies");
    QTEST(r.dropped, "dropped");
}

// An uplink takes its time from its own last line, minutes intact, and
// loses the direction chunk and the last character of its text.
void BrellwickReaderTest::uplink()
{
    BrellwickReader reader;
    const ReadResult r = readAll(reader, "[01/02/2004 12:00]\r\n" + brellwickHeader({}, true) +
                                             uplinkTail("REQUEST POSITION", "01/02/2004 12:34"));
    QCOMPARE(r.records.size(), 1);
    QCOMPARE(r.records.first().mFlight, QString("Uplink"));
    QVERIFY(r.records.first().isUplink());
    QCOMPARE(r.records.first().mText, QString("REQUEST POSITIO"));
    QCOMPARE(r.records.first().mTime.toDisplay(), QString("01/02/2004 12:34"));
}

void BrellwickReaderTest::downlinkTextLikeAnUplink_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("trimmed like an uplink") << lines({" [Uplink] ABCDEFG"}) << "BCDEFG\r";
    QTest::newRow("short text emptied") << lines({" [Uplink] A"}) << "";
    QTest::newRow("other text kept") << lines({"  [Uplink] ABCDEFG"}) << "  [Uplink] ABCDEFG\r\n";
}

// The hand-over looks at the text, not at the record's direction; a
// downlink keeps the time of its time line.
void BrellwickReaderTest::downlinkTextLikeAnUplink()
{
    QFETCH(QByteArray, body);
    TempStore store(*m_env);
    const QString path =
        m_env->writeFile(QStringLiteral("brellwick.log"), brellwick({}, "01/02/2004 12:34", &body));
    QCOMPARE(store.import(QStringLiteral("Brellwick"), path).stored, 1);
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 1);
    QTEST(rows[0].mText, "text");
    QCOMPARE(rows[0].mFlight, QString("BA0123"));
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
}

void BrellwickReaderTest::importFollowsUplinkSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("stored");
    QTest::newRow("uplinks recorded") << 1 << 2;
    QTest::newRow("uplinks not recorded") << 0 << 1;
}

void BrellwickReaderTest::importFollowsUplinkSetting()
{
    QFETCH(int, setting);
    TempStore store(*m_env);
    store.recorder().setRecordUplinks(setting == 1);
    const QString path =
        m_env->writeFile(QStringLiteral("brellwick.log"),
                         brellwick({}, "01/02/2004 12:34") + "[01/02/2004 12:00]\r\n" +
                             brellwickHeader({}, true) + uplinkTail("REQUEST", "01/02/2004 12:35"));
    const ImportResult result = store.import(QStringLiteral("Brellwick"), path);
    QTEST(int(result.stored), "stored");
    const QList<MessageRecord> rows = store.messages();
    QTEST(int(rows.size()), "stored");
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
    QCOMPARE(rows[0].mFileName, QFileInfo(path).absoluteFilePath());
    if (setting)
        QCOMPARE(rows[1].mTime.toStorage(), QString("2004-02-01 12:35:00"));
}

QTEST_GUILESS_MAIN(BrellwickReaderTest)
#include "tst_brellwickreader.moc"
