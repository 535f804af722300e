#include "AirNavFamilyFixtures.h"
#include "formats/AirMasterReader.h"

#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

Q_DECLARE_METATYPE(corvane::test::family::Header)

namespace
{
using Source = AirMasterReader::Source;

const char *tagOf(Source s)
{
    return s == Source::Log ? "log" : "live";
}
} // namespace

class AirMasterReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void header_data();
    void header();
    void text_data();
    void text();
    void uplink_data();
    void uplink();
    void downlinkTextLikeAnUplink_data();
    void downlinkTextLikeAnUplink();
    void importFollowsUplinkSetting_data();
    void importFollowsUplinkSetting();
    void livePassKeepsFirstLine();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void AirMasterReaderTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void AirMasterReaderTest::init()
{
    m_env->resetSettings();
}

void AirMasterReaderTest::header_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<Header>("header");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("label");

    for (Source s : {Source::Log, Source::Live}) {
        Header h;
        QTest::addRow("%s: one leading dot", tagOf(s)) << int(s) << h << true << "N12345"
                                                       << "5Z";
        h.reg = "..N1234";
        QTest::addRow("%s: two leading dots", tagOf(s)) << int(s) << h << true << "N1234"
                                                        << "5Z";
        h = Header();
        h.label = "Q";
        QTest::addRow("%s: label keeps its blank", tagOf(s)) << int(s) << h << true << "N12345"
                                                             << "Q ";
        h = Header();
        h.block = "#";
        QTest::addRow("%s: block id not valid", tagOf(s)) << int(s) << h << false << ""
                                                          << "";
        h = Header();
        h.flight = "BA 12!";
        QTest::addRow("%s: flight not valid", tagOf(s)) << int(s) << h << false << ""
                                                        << "";
    }
    Header blankMode;
    blankMode.mode = " ";
    QTest::newRow("log: blank mode") << int(Source::Log) << blankMode << false << ""
                                     << "";
    QTest::newRow("live: blank mode") << int(Source::Live) << blankMode << true << "N12345"
                                      << "5Z";
}

void AirMasterReaderTest::header()
{
    QFETCH(int, source);
    QFETCH(Header, header);
    QFETCH(bool, kept);
    Header good;
    good.reg = "G-GOOD";
    AirMasterReader reader{Source(source)};
    const ReadResult r = readAll(reader, airMaster(header, "01/02/2004 12:34") +
                                             airMaster(good, "01/02/2004 12:35"));
    QCOMPARE(r.records.size(), kept ? 2 : 1);
    QCOMPARE(r.records.last().mReg, QString("G-GOOD"));
    if (!kept)
        return;
    QTEST(r.records.first().mReg, "reg");
    QTEST(r.records.first().mLabel, "label");
    QCOMPARE(r.records.first().mFlight, QString("BA0123"));
}

void AirMasterReaderTest::text_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("time");

    const QByteArray body = lines({"LINE ONE", "LINE TWO"});
    const QByteArray bracketEnd = lines({"WIND 270 [KT]"});
    const QByteArray dashLine = lines({QByteArray(20, '-')});
    for (Source s : {Source::Log, Source::Live}) {
        QTest::addRow("%s: body", tagOf(s))
            << int(s) << airMaster({}, "01/02/2004 12:34", &body) << true
            << QString::fromLatin1(body) << "01/02/2004 12:34";
        QTest::addRow("%s: time on the header line", tagOf(s))
            << int(s) << airMaster({}, "01/02/2004 12:34") << true << ""
            << "01/02/2004 12:34";
        QTest::addRow("%s: seconds dropped", tagOf(s))
            << int(s) << airMaster({}, "01/02/2004 12:34:56") << true << ""
            << "01/02/2004 12:34";
        QTest::addRow("%s: time line without a bracket", tagOf(s))
            << int(s) << airMasterHeader({}) + "No content\r\n"
            << false << ""
            << "";
    }
    // Log text ends at a line that ends with "]", live text at 20 hyphens.
    QTest::newRow("log: line ending in a bracket closes the text")
        << int(Source::Log) << airMaster({}, "01/02/2004 12:34", &bracketEnd) << false << ""
        << "";
    QTest::newRow("live: line ending in a bracket is text")
        << int(Source::Live) << airMaster({}, "01/02/2004 12:34", &bracketEnd) << true
        << QString::fromLatin1(bracketEnd) << "01/02/2004 12:34";
    QTest::newRow("log: hyphens are text")
        << int(Source::Log) << airMaster({}, "01/02/2004 12:34", &dashLine) << true
        << QString::fromLatin1(dashLine) << "01/02/2004 12:34";
    QTest::newRow("live: hyphens close the text")
        << int(Source::Live) << airMaster({}, "01/02/2004 12:34", &dashLine) << false << ""
        << "";
}

void AirMasterReaderTest::text()
{
    QFETCH(int, source);
    QFETCH(QByteArray, text);
    QFETCH(bool, kept);
    AirMasterReader reader{Source(source)};
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), kept ? 1 : 0);
    if (!kept)
        return;
    QTEST(r.records.first().mText, "body");
    QTEST(r.records.first().mTime.toDisplay(), "time");
}

void AirMasterReaderTest::uplink_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("text");
    QTest::addRow("log") << int(Source::Log) << "REQUEST POSITIO";
    QTest::addRow("live") << int(Source::Live) << " [Uplink]  REQUEST POSITION";
}

// Log uplinks lose the direction chunk and the last character of the text;
// no minute of the time is lost with them.
void AirMasterReaderTest::uplink()
{
    QFETCH(int, source);
    AirMasterReader reader{Source(source)};
    const ReadResult r = readAll(reader, airMasterHeader({}, true) +
                                             uplinkTail("REQUEST POSITION", "01/02/2004 12:34"));
    QCOMPARE(r.records.size(), 1);
    const MessageRecord &m = r.records.first();
    QCOMPARE(m.mFlight, QString("Uplink"));
    QVERIFY(m.isUplink());
    QCOMPARE(m.mLabel, QString());
    QCOMPARE(m.mNo, QString());
    QTEST(m.mText, "text");
    QCOMPARE(m.mTime.toDisplay(), QString("01/02/2004 12:34"));
}

void AirMasterReaderTest::downlinkTextLikeAnUplink_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("log: trimmed like an uplink")
        << int(Source::Log) << lines({" [Uplink] ABCDEFG"}) << "BCDEFG\r";
    QTest::newRow("log: short text emptied") << int(Source::Log) << lines({" [Uplink] A"}) << "";
    QTest::newRow("live: kept whole")
        << int(Source::Live) << lines({" [Uplink] ABCDEFG"}) << " [Uplink] ABCDEFG\r\n";
}

// The hand-over looks at the text, not at the record's direction; a
// downlink keeps its time.
void AirMasterReaderTest::downlinkTextLikeAnUplink()
{
    QFETCH(int, source);
    QFETCH(QByteArray, body);
    TempStore store(*m_env);
    const QByteArray text = airMaster({}, "01/02/2004 12:34", &body);
    if (Source(source) == Source::Log) {
        const QString path = m_env->writeFile(QStringLiteral("airmaster.log"), text);
        QCOMPARE(store.import(QStringLiteral("AirMaster32000"), path).stored, 1);
    } else {
        QCOMPARE(store.live(QStringLiteral("Airmaster"), text).stored, 1);
    }
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 1);
    QTEST(rows[0].mText, "text");
    QCOMPARE(rows[0].mFlight, QString("BA0123"));
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
}

void AirMasterReaderTest::importFollowsUplinkSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("stored");
    QTest::newRow("uplinks recorded") << 1 << 2;
    QTest::newRow("uplinks not recorded") << 0 << 1;
}

void AirMasterReaderTest::importFollowsUplinkSetting()
{
    QFETCH(int, setting);
    TempStore store(*m_env);
    store.recorder().setRecordUplinks(setting == 1);
    const QByteArray longBody = lines({QByteArray(200, 'A'), QByteArray(200, 'B')});
    const QString path =
        m_env->writeFile(QStringLiteral("airmaster.log"),
                         airMaster({}, "01/02/2004 12:34", &longBody) + airMasterHeader({}, true) +
                             uplinkTail("REQUEST", "01/02/2004 12:35"));
    const ImportResult result = store.import(QStringLiteral("AirMaster32000"), path);
    QTEST(int(result.stored), "stored");
    const QList<MessageRecord> rows = store.messages();
    QTEST(int(rows.size()), "stored");
    QCOMPARE(rows[0].mText, QString::fromLatin1(longBody));
    if (setting)
        QCOMPARE(rows[1].mTime.toStorage(), QString("2004-02-01 12:35:00"));
}

void AirMasterReaderTest::livePassKeepsFirstLine()
{
    TempStore store(*m_env);
    const LivePassResult r =
        store.live(QStringLiteral("Airmaster"), airMaster({}, "01/02/2004 12:34"));
    QCOMPARE(r.stored, 1);
    QVERIFY(store.messages().first().mFileName.startsWith(QLatin1String("Live data ")));
    QCOMPARE(store.newPairs().registrations(), QStringList{"N12345"});
}

QTEST_GUILESS_MAIN(AirMasterReaderTest)
#include "tst_airmasterreader.moc"
