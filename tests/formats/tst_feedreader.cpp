#include "AirNavFamilyFixtures.h"
#include "FeedFixtures.h"
#include "formats/JsonTree.h"
#include "formats/LocalClock.h"
#include "store/FeedDetails.h"

#include <QDateTime>

#include <QProcess>
#include <QTest>
#include <time.h>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;
using namespace corvane::test::feed;

namespace
{
QByteArray lines(std::initializer_list<QByteArray> objects)
{
    QByteArray out;
    for (const QByteArray &o : objects)
        out += o + '\n';
    return out;
}

QStringList fields(const MessageRecord &m)
{
    return {m.mMode, m.mReg, m.mLabel, m.mBlk, m.mNo, m.mFlight, m.mText};
}
} // namespace

class FeedReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void import_data();
    void import();
    void uplinksNotRecordedAreSkipped();
    void detailsAreStoredBesideTheMessage();
    void commandLineImport();
    void wrongDecoderIsNamed_data();
    void wrongDecoderIsNamed();
    void jsonTree_data();
    void jsonTree();
    void localClockAgreesWithTheZone_data();
    void localClockAgreesWithTheZone();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void FeedReaderTest::initTestCase()
{
    // Decoder times are Unix seconds, stored as this machine's local time.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    m_env = std::make_unique<TestEnvironment>();
}

void FeedReaderTest::init()
{
    m_env->resetSettings();
}

void FeedReaderTest::import_data()
{
    QTest::addColumn<QString>("decoder");
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("rejected");
    QTest::addColumn<QStringList>("first"); // mode, reg, label, blk, no, flight, text
    QTest::addColumn<QString>("time");

    const QString a = QStringLiteral("acarsdec");
    const QString v = QStringLiteral("vdlm2dec");
    const QString d = QStringLiteral("dumpvdl2");
    const QString h = QStringLiteral("dumphfdl");
    const QString noon = QStringLiteral("2024-06-01 14:00:00");
    const QStringList none;

    QTest::newRow("acarsdec downlink")
        << a << lines({acarsdecDownlink()}) << 1 << 0
        << QStringList{"2", "G-EUUA", "H1", "4", "M01A", "BA0123", "POS N51 W001\r\nFL350"} << noon;
    QTest::newRow("acarsdec uplink keeps label and number")
        << a << lines({acarsdecUplink()}) << 1 << 0
        << QStringList{"2", "G-EUUA", "_d", "A", "S12A", "Uplink", ""} << "2024-06-01 14:00:05";
    QTest::newRow("acarsdec block in progress, then complete")
        << a << lines({acarsdecInProgress(), acarsdecDownlink()}) << 1 << 0
        << QStringList{"2", "G-EUUA", "H1", "4", "M01A", "BA0123", "POS N51 W001\r\nFL350"} << noon;
    QTest::newRow("acarsdec squitter has no block id")
        << a << lines({acarsdecSquitter()}) << 0 << 1 << none << QString();
    QTest::newRow("acarsdec record without label, object of dumpvdl2")
        << a << lines({acarsdecNoLabel(), dumpvdl2Acars()}) << 0 << 1 << none << QString();
    QTest::newRow("vdlm2dec downlink")
        << v << lines({vdlm2decDownlink()}) << 1 << 0
        << QStringList{"2", "D-AIZZ", "Q0", "7", "M77A", "LH0400", ""} << "2024-06-01 14:00:10";
    QTest::newRow("vdlm2dec uplink from its address")
        << v << lines({vdlm2decUplink()}) << 1 << 0
        << QStringList{"2", "D-AIZZ", "H1", "7", "S01A", "Uplink", "CLEARED"}
        << "2024-06-01 14:00:11";
    QTest::newRow("dumpvdl2 downlink")
        << d << lines({dumpvdl2Acars()}) << 1 << 0
        << QStringList{"2",
                       "EI-DVM",
                       "H1",
                       "5",
                       "D06A",
                       "FR1234",
                       QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << noon;
    QTest::newRow("dumpvdl2 uplink from a ground station")
        << d << lines({dumpvdl2Acars(3, true)}) << 1 << 0
        << QStringList{"2",
                       "EI-DVM",
                       "H1",
                       "A",
                       "D06A",
                       "Uplink",
                       QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << "2024-06-01 14:00:03";
    QTest::newRow("dumpvdl2 more blocks to come, then the last")
        << d << lines({dumpvdl2Acars(0, false, "true"), dumpvdl2Acars(1)}) << 1 << 0
        << QStringList{"2",
                       "EI-DVM",
                       "H1",
                       "5",
                       "D06A",
                       "FR1234",
                       QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << "2024-06-01 14:00:01";
    QTest::newRow("dumpvdl2 error frame, XID frame")
        << d << lines({dumpvdl2Acars(0, false, "false", "true"), dumpvdl2Xid()}) << 0 << 1 << none
        << QString();
    QTest::newRow("dumpvdl2 registration fails its check")
        << d << lines({dumpvdl2Acars(0, false, "false", "false", "N12_3")}) << 0 << 1 << none
        << QString();
    QTest::newRow("dumphfdl ACARS")
        << h << lines({dumphfdlAcars()}) << 1 << 0
        << QStringList{"2", "G-VIIA", "H1", "3", "F58A", "BA0117", "HF TEXT"}
        << "2024-06-01 14:00:20";
    QTest::newRow("dumphfdl ACARS uplink")
        << h << lines({dumphfdlAcars(true)}) << 1 << 0
        << QStringList{"2", "G-VIIA", "H1", "B", "F58A", "Uplink", "HF TEXT"}
        << "2024-06-01 14:00:20";
    QTest::newRow("dumphfdl position")
        << h << lines({dumphfdlPosition(51.47, -0.45432)}) << 1 << 0
        << QStringList{" ", "BAW12A", "", "", "", "HFDL", "51.4700,-0.4543"}
        << "2024-06-01 14:00:30";
    QTest::newRow("dumphfdl unknown position, squitter, position without flight")
        << h << lines({dumphfdlPosition(180, 180), dumphfdlSquitter(), dumphfdlPosition(1, 1, "")})
        << 0 << 0 << none << QString();

    // A Unix time before 1990 is a bad time in each decoder's objects.
    const int before1990 = int(631151999 - kBaseTime);
    QTest::newRow("acarsdec time 0 is no time, the first second of 1990 is")
        << a << lines({acarsdecDownlink(int(-kBaseTime)), acarsdecDownlink(before1990 + 1)}) << 1
        << 1 << QStringList{"2", "G-EUUA", "H1", "4", "M01A", "BA0123", "POS N51 W001\r\nFL350"}
        << "1990-01-01 01:00:00";
    QTest::newRow("vdlm2dec time 0")
        << v << lines({vdlm2decDownlink().replace("1717243210.75", "0.75")}) << 0 << 1 << none
        << QString();
    QTest::newRow("dumpvdl2 last second of 1989")
        << d << lines({dumpvdl2Acars(before1990)}) << 0 << 1 << none << QString();
    QTest::newRow("dumphfdl time 0")
        << h << lines({dumphfdlAcars().replace("1717243220", "0")}) << 0 << 1 << none << QString();

    // Framing of the log file.
    QTest::newRow("byte-order mark, blank lines, two objects on a line")
        << d << "\xEF\xBB\xBF\r\n\r\n" + dumpvdl2Acars(1) + dumpvdl2Acars(2) + "\r\n\r\n"
        << 2 << 0 << QStringList{"2",
                                 "EI-DVM",
                                 "H1",
                                 "5",
                                 "D06A",
                                 "FR1234",
                                 QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << "2024-06-01 14:00:01";
    QTest::newRow("broken object, then a good one")
        << d << lines({dumpvdl2Acars(1).left(200), dumpvdl2Acars(2)}) << 1 << 1
        << QStringList{"2",
                       "EI-DVM",
                       "H1",
                       "5",
                       "D06A",
                       "FR1234",
                       QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << "2024-06-01 14:00:02";
    QByteArray huge = dumpvdl2Acars(1);
    huge.replace("LINE 2", QByteArray(70 * 1024, 'X'));
    QTest::newRow("object over 64 KiB, then a good one")
        << d << lines({huge, dumpvdl2Acars(2)}) << 1 << 1
        << QStringList{"2",
                       "EI-DVM",
                       "H1",
                       "5",
                       "D06A",
                       "FR1234",
                       QString::fromUtf8("#DFB/PAYLOAD \xc3\xa9\r\nLINE 2")}
        << "2024-06-01 14:00:02";
    QTest::newRow("text and an array are no objects")
        << d << QByteArray("decoder started\n[1,2]\n\"x\"") << 0 << 3 << none << QString();
}

void FeedReaderTest::import()
{
    QFETCH(QString, decoder);
    QFETCH(QByteArray, log);
    QFETCH(int, stored);
    QFETCH(int, rejected);
    QFETCH(QStringList, first);
    QFETCH(QString, time);

    TempStore store(*m_env);
    const QString path = m_env->writeFile(QStringLiteral("feed.json"), log);
    const ImportResult r = store.import(decoder, path);
    QVERIFY(r.read);
    QCOMPARE(r.stored, qint64(stored));
    QCOMPARE(r.rejected, qint64(rejected));
    QCOMPARE(r.skipped, qint64(0));
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), stored);
    if (stored == 0)
        return;
    QCOMPARE(fields(rows.first()), first);
    QCOMPARE(rows.first().mTime.toStorage(), time);
    QCOMPARE(rows.first().mFileName, path);
}

void FeedReaderTest::uplinksNotRecordedAreSkipped()
{
    TempStore store(*m_env);
    store.recorder().setRecordUplinks(false);
    const QString path = m_env->writeFile(
        QStringLiteral("uplinks.json"),
        lines({acarsdecSquitter(), acarsdecUplink(), vdlm2decUplink(), acarsdecDownlink()}));
    const ImportResult r = store.import(QStringLiteral("acarsdec"), path);
    // The squitter fails the block check, but the uplink filter comes first.
    QCOMPARE(r.skipped, qint64(3));
    QCOMPARE(r.rejected, qint64(0));
    QCOMPARE(r.stored, qint64(1));
}

void FeedReaderTest::detailsAreStoredBesideTheMessage()
{
    TempStore store(*m_env);
    store.import(QStringLiteral("dumpvdl2"),
                 m_env->writeFile(QStringLiteral("v.json"), lines({dumpvdl2Acars()})));
    store.import(QStringLiteral("acarsdec"),
                 m_env->writeFile(QStringLiteral("a.json"), lines({acarsdecDownlink()})));
    store.import(QStringLiteral("dumphfdl"),
                 m_env->writeFile(QStringLiteral("h.json"), lines({dumphfdlPosition(1, 2)})));
    store.recorder().commitBatch();

    const auto vdl2 = FeedDetails::forMessage(store.store(), 1);
    QVERIFY(vdl2);
    QCOMPARE(*vdl2, (FeedDetails{"dumpvdl2", "EGLL-1", 136.975, -21.4}));
    const auto acars = FeedDetails::forMessage(store.store(), 2);
    QVERIFY(acars);
    QCOMPARE(*acars, (FeedDetails{"acarsdec", "EGLL-ACARS", 131.725, -18.5}));
    const auto hfdl = FeedDetails::forMessage(store.store(), 3);
    QVERIFY(hfdl);
    QCOMPARE(*hfdl, (FeedDetails{"dumphfdl", "EINN-HF", 11.384, -33.0}));
    QVERIFY(!FeedDetails::forMessage(store.store(), 4));
}

void FeedReaderTest::commandLineImport()
{
    const QString path = m_env->writeFile(
        QStringLiteral("cli.json"), lines({dumpvdl2Acars(), dumpvdl2Xid(), acarsdecDownlink()}));
    const QString dataDir = m_env->newDataDir();
    QProcess p;
    p.start(QStringLiteral(CORVANE_BINARY),
            {"import", "--data-dir", dataDir, "--decoder", "dumpvdl2", path});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(p.readAllStandardOutput().contains("1 stored, 0 skipped, 1 rejected"),
             "the XID frame is passed over, the acarsdec object rejected");

    // A whole file of another decoder fails, naming the decoder.
    const QString other =
        m_env->writeFile(QStringLiteral("other.json"), lines({acarsdecDownlink()}));
    p.start(QStringLiteral(CORVANE_BINARY),
            {"import", "--data-dir", dataDir, "--decoder", "dumpvdl2", other});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains(
        "other.json: This is not a dumpvdl2 log file: it looks like acarsdec or vdlm2dec output."));
}

// A log whose every object another decoder reads is refused with that
// decoder's name; one object of the chosen decoder, or objects no decoder
// reads, make it a log that stored nothing, as before.
void FeedReaderTest::wrongDecoderIsNamed_data()
{
    QTest::addColumn<QString>("decoder");
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("lookalike");
    QTest::newRow("dumpvdl2 given acarsdec")
        << "dumpvdl2" << lines({acarsdecDownlink(), acarsdecUplink()}) << "acarsdec or vdlm2dec";
    QTest::newRow("acarsdec given dumpvdl2")
        << "acarsdec" << lines({dumpvdl2Acars(), dumpvdl2Acars(1)}) << "dumpvdl2";
    QTest::newRow("dumphfdl given dumpvdl2")
        << "dumphfdl" << lines({dumpvdl2Acars()}) << "dumpvdl2";
    QTest::newRow("one object of its own")
        << "dumpvdl2" << lines({acarsdecDownlink(), dumpvdl2Xid()}) << QString();
    QTest::newRow("two other decoders")
        << "dumphfdl" << lines({acarsdecDownlink(), dumpvdl2Acars()}) << QString();
    QTest::newRow("no decoder's") << "acarsdec" << QByteArray("decoder started\n{}\n") << QString();
}

void FeedReaderTest::wrongDecoderIsNamed()
{
    QFETCH(QString, decoder);
    QFETCH(QByteArray, log);
    QFETCH(QString, lookalike);
    TempStore store(*m_env);
    const ImportResult r = store.import(decoder, m_env->writeFile(QStringLiteral("w.json"), log));
    QCOMPARE(r.stored, qint64(0));
    QCOMPARE(r.read, lookalike.isEmpty());
    if (!lookalike.isEmpty())
        QCOMPARE(r.error, QStringLiteral("This is not a %1 log file: it looks like %2 output. "
                                         "Choose that decoder in Options and import it again.")
                              .arg(decoder, lookalike));
}

void FeedReaderTest::jsonTree_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("s"); // the member "s" of the object
    const QString none;
    QTest::newRow("plain") << QByteArray(R"( {"a":[1,-2.5e3,true,null,{}],"s":"x y"} )") << true
                           << "x y";
    QTest::newRow("escapes") << QByteArray(R"({"s":"q\"b\\s\/n\nt\tu\u00e9"})") << true
                             << QString::fromUtf8("q\"b\\s/n\nt\tu\xc3\xa9");
    QTest::newRow("surrogate pair")
        << QByteArray(R"({"s":"\ud83d\ude00"})") << true << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("UTF-8 as written") << QByteArray("{\"s\":\"\xc3\xa9t\xc3\xa9\"}") << true
                                      << QString::fromUtf8("\xc3\xa9t\xc3\xa9");
    QTest::newRow("first of two equal keys") << QByteArray(R"({"s":"1","s":"2"})") << true << "1";
    QTest::newRow("s is no string") << QByteArray(R"({"s":5})") << true << none;
    QTest::newRow("trailing text") << QByteArray(R"({"s":"x"} x)") << false << none;
    QTest::newRow("trailing comma") << QByteArray(R"({"s":"x",})") << false << none;
    QTest::newRow("unclosed") << QByteArray(R"({"s":"x")") << false << none;
    QTest::newRow("unclosed string") << QByteArray(R"({"s":"x})") << false << none;
    QTest::newRow("raw line break in a string") << QByteArray("{\"s\":\"a\nb\"}") << false << none;
    QTest::newRow("bad escape") << QByteArray(R"({"s":"\x"})") << false << none;
    QTest::newRow("short \\u") << QByteArray(R"({"s":"\u12"})") << false << none;
    QTest::newRow("bare word") << QByteArray(R"({"s":nope})") << false << none;
    QTest::newRow("number with plus") << QByteArray(R"({"n":+1})") << false << none;
    QTest::newRow("lone minus") << QByteArray(R"({"n":-})") << false << none;
    QTest::newRow("key no string") << QByteArray(R"({s:"x"})") << false << none;
    QTest::newRow("too deep") << QByteArray(100, '[') + QByteArray(100, ']') << false << none;
    QTest::newRow("deep enough") << "{\"s\":\"d\",\"x\":" + QByteArray(60, '[') +
                                        QByteArray(60, ']') + '}'
                                 << true << "d";
    QTest::newRow("empty") << QByteArray() << false << none;
}

// The parser behind every decoder object.
void FeedReaderTest::jsonTree()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, valid);
    QFETCH(QString, s);
    JsonTree tree;
    QCOMPARE(tree.parse(json), valid);
    if (valid)
        QCOMPARE(tree.string(tree.member(tree.root(), "s")), s);
}

void FeedReaderTest::localClockAgreesWithTheZone_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("from"); // an hour before a change of offset
    QTest::newRow("Berlin, spring") << QByteArray("Europe/Berlin") << qint64(1711846800 - 3600);
    QTest::newRow("Berlin, autumn") << QByteArray("Europe/Berlin") << qint64(1729990800 - 3600);
    // Half an hour forward and back.
    QTest::newRow("Lord Howe") << QByteArray("Australia/Lord_Howe") << qint64(1712415600 - 3600);
    QTest::newRow("Kathmandu") << QByteArray("Asia/Kathmandu") << qint64(0);
}

// Times read in order, across a change of the zone's offset, as a lookup per
// message would give them.
void FeedReaderTest::localClockAgreesWithTheZone()
{
    QFETCH(QByteArray, zone);
    QFETCH(qint64, from);
    qputenv("TZ", zone);
    tzset();
    LocalClock clock;
    for (qint64 s = from; s < from + 2 * 3600; s += 61) {
        const MessageTime expected = MessageTime::fromDateTime(QDateTime::fromSecsSinceEpoch(s));
        if (clock.localTime(s) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 reads %2, not %3")
                                 .arg(s)
                                 .arg(clock.localTime(s).toStorage(), expected.toStorage())));
    }
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

QTEST_GUILESS_MAIN(FeedReaderTest)
#include "tst_feedreader.moc"
