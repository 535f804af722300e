#include "AirNavFamilyFixtures.h"
#include "formats/AirNavReader.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"

#include <QProcess>
#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

Q_DECLARE_METATYPE(corvane::test::family::Header)

class AirNavReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void readsTheTwoSampleRecords();
    void header_data();
    void header();
    void textAndTime_data();
    void textAndTime();
    void truncatedText_data();
    void truncatedText();
    void importStoresEveryRecord();
    void liveTextKeepsItsFirstLine();
    void commandLineImport();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void AirNavReaderTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void AirNavReaderTest::init()
{
    m_env->resetSettings();
}

void AirNavReaderTest::readsTheTwoSampleRecords()
{
    AirNavReader reader;
    const ReadResult r =
        readAll(reader, TestEnvironment::readFixture(QStringLiteral("airnav-two-records.log")));
    QCOMPARE(r.dropped, 0);
    QCOMPARE(r.records.size(), 2);
    const MessageRecord &a = r.records[0];
    QCOMPARE(a.mMode, QString("2"));
    QCOMPARE(a.mReg, QString("N12345"));
    QCOMPARE(a.mLabel, QString("5Z"));
    QCOMPARE(a.mBlk, QString("3"));
    QCOMPARE(a.mNo, QString("M01A"));
    QCOMPARE(a.mFlight, QString("BA0123"));
    QCOMPARE(a.mText, QString("first line of text\r\nsecond line of text\r\n"));
    QCOMPARE(a.mTime.toDisplay(), QString("01/02/2004 12:34"));
    const MessageRecord &b = r.records[1];
    QCOMPARE(b.mReg, QString("G-ABCD"));
    QCOMPARE(b.mLabel, QString("Q"));
    QCOMPARE(b.mBlk, QString());
    QCOMPARE(b.mNo, QString("S01A"));
    QCOMPARE(b.mFlight, QString("XY0001"));
    QCOMPARE(b.mText, QString());
    QCOMPARE(b.mTime.toDisplay(), QString("01/02/2004 12:35"));
}

// Each row is a record followed by a good one: a dropped record must leave
// the reader aligned on the next.
void AirNavReaderTest::header_data()
{
    QTest::addColumn<Header>("header");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("flight");

    Header h;
    QTest::newRow("two-character label") << h << true << "N12345"
                                         << "5Z"
                                         << "3"
                                         << "BA0123";
    h.label = "Q";
    QTest::newRow("one-character label") << h << true << "N12345"
                                         << "Q"
                                         << "3"
                                         << "BA0123";
    h.label = "";
    QTest::newRow("no label") << h << true << "N12345"
                              << ""
                              << "3"
                              << "BA0123";
    h = Header();
    h.block = "";
    QTest::newRow("no block id") << h << true << "N12345"
                                 << "5Z"
                                 << ""
                                 << "BA0123";
    h.block = "_";
    QTest::newRow("block id not valid") << h << false << ""
                                        << ""
                                        << ""
                                        << "";
    h = Header();
    h.reg = "N12345 ";
    QTest::newRow("registration with a blank") << h << true << "N12345"
                                               << "5Z"
                                               << "3"
                                               << "BA0123";
    h.reg = "       ";
    QTest::newRow("seven blanks stay") << h << true << "       "
                                       << "5Z"
                                       << "3"
                                       << "BA0123";
    h.reg = ".";
    QTest::newRow("a dot alone is empty") << h << true << ""
                                          << "5Z"
                                          << "3"
                                          << "BA0123";
    h.reg = "N12_3";
    QTest::newRow("registration not valid") << h << false << ""
                                            << ""
                                            << ""
                                            << "";
    h = Header();
    h.flight = "A";
    QTest::newRow("flight of two characters") << h << false << ""
                                              << ""
                                              << ""
                                              << "";
    h.flight = "BA 123";
    QTest::newRow("flight with a blank inside") << h << false << ""
                                                << ""
                                                << ""
                                                << "";
    h.flight = "BA/123";
    QTest::newRow("flight character not valid") << h << false << ""
                                                << ""
                                                << ""
                                                << "";
    h.flight = "BA12  ";
    QTest::newRow("flight padded with blanks") << h << true << "N12345"
                                               << "5Z"
                                               << "3"
                                               << "BA12";
}

void AirNavReaderTest::header()
{
    QFETCH(Header, header);
    QFETCH(bool, kept);
    Header good;
    good.reg = "G-GOOD";
    const QByteArray text = airNav(header, "01/02/2004 12:34") + airNav(good, "01/02/2004 12:35");
    AirNavReader reader;
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), kept ? 2 : 1);
    QCOMPARE(r.dropped, kept ? 0 : 1);
    QCOMPARE(r.records.last().mReg, QString("G-GOOD"));
    if (!kept)
        return;
    const MessageRecord &m = r.records.first();
    QTEST(m.mReg, "reg");
    QTEST(m.mLabel, "label");
    QTEST(m.mBlk, "block");
    QTEST(m.mFlight, "flight");
}

void AirNavReaderTest::textAndTime_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("time");

    const QByteArray body = lines({"LINE ONE", "", "LINE THREE"});
    QTest::newRow("body kept with its line breaks")
        << airNav({}, "01/02/2004 12:34", &body) << true << QString::fromLatin1(body)
        << "01/02/2004 12:34";
    QTest::newRow("no body") << airNav({}, "31/12/2004 23:59") << true << ""
                             << "31/12/2004 23:59";
    const QByteArray longBody = lines({QByteArray(300, 'X')});
    QTest::newRow("long body kept in full") << airNav({}, "01/02/2004 12:34", &longBody) << true
                                            << QString::fromLatin1(longBody) << "01/02/2004 12:34";
    // Only 16 characters of the time are read: the seconds go.
    QTest::newRow("time with seconds") << airNav({}, "01/02/2004 12:34:56") << true << ""
                                       << "01/02/2004 12:34";
    QTest::newRow("time not a date") << airNav({}, "32/01/2004 12:34") << false << ""
                                     << "";
}

void AirNavReaderTest::textAndTime()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, kept);
    AirNavReader reader;
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), kept ? 1 : 0);
    if (!kept)
        return;
    QTEST(r.records.first().mText, "body");
    QTEST(r.records.first().mTime.toDisplay(), "time");
}

void AirNavReaderTest::truncatedText_data()
{
    QTest::addColumn<int>("cut");
    const QByteArray whole = airNav({}, "01/02/2004 12:34");
    QTest::newRow("in the marker") << 5;
    QTest::newRow("in the header") << 40;
    QTest::newRow("in the flight") << int(whole.indexOf("BA01") + 2);
    QTest::newRow("in the hyphens") << int(whole.indexOf("-----") + 10);
    QTest::newRow("in the time") << int(whole.size() - 6);
}

// A record cut short ends the text; the records before it are kept.
void AirNavReaderTest::truncatedText()
{
    QFETCH(int, cut);
    const QByteArray first = airNav({}, "01/02/2004 12:33");
    AirNavReader reader;
    const ReadResult r = readAll(reader, first + airNav({}, "01/02/2004 12:34").left(cut));
    QCOMPARE(r.records.size(), 1);
    QCOMPARE(r.records.first().mTime.toDisplay(), QString("01/02/2004 12:33"));
    QCOMPARE(r.dropped, 0);
}

void AirNavReaderTest::importStoresEveryRecord()
{
    TempStore store(*m_env);
    const QString path = TestEnvironment::fixture(QStringLiteral("airnav-two-records.log"));
    const ImportResult result = store.import(QStringLiteral("AirNav"), path);
    QCOMPARE(result.stored, 2);
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
    QCOMPARE(rows[0].mText, QString("first line of text\r\nsecond line of text\r\n"));
    QCOMPARE(rows[0].mFileName, QFileInfo(path).absoluteFilePath());
    // No block id is no reason to drop an AirNav record.
    QCOMPARE(rows[1].mBlk, QString());
    QCOMPARE(rows[1].mTime.toStorage(), QString("2004-02-01 12:35:00"));
    QCOMPARE(store.timesHeard(QStringLiteral("G-ABCD"), QStringLiteral("XY0001")), 1);
}

void AirNavReaderTest::liveTextKeepsItsFirstLine()
{
    TempStore store(*m_env);
    Header h;
    h.reg = "G-LIVE";
    const LivePassResult r = store.live(QStringLiteral("ANAD"), airNav(h, "01/02/2004 12:34") +
                                                                    airNav({}, "01/02/2004 12:35"));
    QCOMPARE(r.stored, 2);
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows[0].mReg, QString("G-LIVE"));
    QVERIFY(rows[0].mFileName.startsWith(QLatin1String("Live data ")));
}

void AirNavReaderTest::commandLineImport()
{
    const QString dir = m_env->newDataDir();
    QProcess p;
    p.start(QStringLiteral(CORVANE_BINARY),
            {QStringLiteral("--data-dir"), dir, QStringLiteral("import"),
             QStringLiteral("--decoder"), QStringLiteral("AirNav"),
             TestEnvironment::fixture(QStringLiteral("airnav-two-records.log"))});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    Store store;
    store.open(dir);
    SqliteStatement st(store.acarsLog(), "SELECT COUNT(*) FROM tMessage");
    QVERIFY(st.step());
    QCOMPARE(st.int64(0), 2);
}

QTEST_GUILESS_MAIN(AirNavReaderTest)
#include "tst_airnavreader.moc"
