#include "AirNavFamilyFixtures.h"
#include "formats/PcHfdlReader.h"
#include "formats/PosFixReader.h"

#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

namespace
{
const QByteArray kTime = "[05/03/2024 14:07]";

// A PC-HFDL block as the read sequence expects it: the first character of
// the text is passed over before "ACARS mode".
QByteArray pcHfdl(const QByteArray &flight = "BA0123",
                  const QByteArray &body = "HELLO\r\nWORLD\r\n")
{
    return " ACARS mode: 2  Aircraft reg: .N12345\r\n"
           "Message label:H1   Block id: 5  Msg. no: M01A\r\n"
           "Flight id:" +
           flight + "\r\nMessage content:-\r\n" + body + QByteArray(58, '-') + kTime;
}

// A PosFix block with SkySpy's spacing; the tail follows the block id.
QByteArray posFix(const QByteArray &tail)
{
    return "ACARS mode: 2  Aircraft reg: .N12345\r\nMessage label: H1  Block id: 5" + tail;
}
QByteArray posFixDownlink(const QByteArray &time = kTime, const QByteArray &flight = "BA0123")
{
    return posFix("  Msg. no: M01A\r\nFlight id: " + flight +
                  "\r\nMessage content:-\r\nLINE ONE\r\nLINE TWO\r\n" + QByteArray(59, '-') + time +
                  "\r\n");
}

// An uplink's rest: 19 characters, the text, 37 hyphens and the bracketed
// time; from 100 characters on the text is kept.
QByteArray uplinkRest(const QByteArray &text)
{
    return "\r\nUplink follows:\r\n" + text + QByteArray(37, '-') + kTime;
}
} // namespace

class PcHfdlPosFixTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pcHfdlBlock();
    void pcHfdlFailedTests_data();
    void pcHfdlFailedTests();
    void pcHfdlUplinksAndNoContent();
    void registrationTrimsBlanksOnly_data();
    void registrationTrimsBlanksOnly();
    void posFixBlocks();
    void posFixTimeSeparators_data();
    void posFixTimeSeparators();
    void posFixDroppedBlocks();
    void posFixUplinks();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void PcHfdlPosFixTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void PcHfdlPosFixTest::pcHfdlBlock()
{
    TempStore store(*m_env);
    const LivePassResult r = store.live(QStringLiteral("HFDL"), pcHfdl());
    QCOMPARE(r.stored, qint64(1));
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 1);
    const MessageRecord &m = rows.first();
    QCOMPARE(QStringList({m.mMode, m.mReg, m.mLabel, m.mBlk, m.mNo, m.mFlight}),
             QStringList({"2", "N12345", "H1", "5", "M01A", "BA0123"}));
    QCOMPARE(m.mText, QString("HELLO\r\nWORLD\r\n"));
    QCOMPARE(m.mTime.toStorage(), QString("2024-03-05 14:07:00"));
    QVERIFY(m.mFileName.startsWith("Live data: "));
    QCOMPARE(store.newPairs().registrations(), QStringList{"N12345"});
}

void PcHfdlPosFixTest::pcHfdlFailedTests_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = pcHfdl();
    auto with = [&good](const char *from, const char *to) {
        return QByteArray(good).replace(from, to);
    };
    QTest::newRow("no Aircraft reg") << with("Aircraft reg", "Aircraft rex");
    QTest::newRow("no label") << with("label:", "lapel:");
    QTest::newRow("no block id caption") << with("Block id: ", "Block ix: ");
    QTest::newRow("no number, content or uplink") << with("Msg. no: ", "Msg. xx: ");
    QTest::newRow("no Flight caption") << with("Flight id:", "Flixht id:");
    QTest::newRow("flight with a blank") << pcHfdl("BA 123");
    QTest::newRow("flight of two") << pcHfdl("BA");
    QTest::newRow("registration") << with(".N12345", ".N12_45");
    QTest::newRow("time") << with("05/03/2024", "45/03/2024");
}

void PcHfdlPosFixTest::pcHfdlFailedTests()
{
    QFETCH(QByteArray, text);
    PcHfdlReader reader;
    const ReadResult got = readAll(reader, text + "\r\n");
    QCOMPARE(got.records.size(), 0);
    QVERIFY(got.dropped >= 1);
}

void PcHfdlPosFixTest::pcHfdlUplinksAndNoContent()
{
    PcHfdlReader reader;
    // No message number: the content test follows "Mess"; no content: empty text.
    const QByteArray noNumber = " ACARS mode: 2  Aircraft reg: .N12345\r\n"
                                "Message label:H1   Block id: 5      Message content:-\r\n"
                                "TEXT\r\n" +
                                QByteArray(58, '-') + kTime + "\r\n";
    ReadResult got = readAll(reader, noNumber);
    QCOMPARE(got.records.size(), 1);
    QCOMPARE(got.records[0].mText, QString("TEXT\r\n"));
    QCOMPARE(got.records[0].mFlight, QString());

    const QByteArray head = " ACARS mode: 2  Aircraft reg: .N12345\r\n"
                            "Message label:H1   Block id: 5  [Uplink] ";
    // The time is found before the closing bracket however many line breaks follow.
    for (const QByteArray &end :
         {QByteArray("\r\n"), QByteArray("\r\r\n"), QByteArray("\r\n\r\n")}) {
        got = readAll(reader, head + "SHORT\r\n" + kTime + end);
        QCOMPARE(got.records.size(), 1);
        QCOMPARE(got.records[0].mFlight, QString("Uplink"));
        QCOMPARE(got.records[0].mText, QString());
        QCOMPARE(got.records[0].mTime.toDisplay(), QString("05/03/2024 14:07"));
    }

    got = readAll(reader, head + uplinkRest(QByteArray(60, 'U')) + "\r\n");
    QCOMPARE(got.records.size(), 1);
    QCOMPARE(got.records[0].mText, QString(60, u'U'));
    QCOMPARE(got.records[0].mTime.toDisplay(), QString("05/03/2024 14:07"));
}

void PcHfdlPosFixTest::registrationTrimsBlanksOnly_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("stored"); // registration and label of each message stored

    const QByteArray posFixMissingMode = "ACARS mode:   Aircraft reg: .N12345\r\n"
                                         "Message label: 5Z  Block id:  3  Msg. no: M01A\r\n"
                                         "Flight id: BA0123\r\n" +
                                         QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
    QTest::newRow("PosFix, aligned")
        << "POSFIX" << QByteArray(posFixMissingMode).replace("mode:   ", "mode: 2  ")
        << QStringList{"N12345|5Z"};
    // One character early: the registration slice runs into the line break.
    QTest::newRow("PosFix, mode missing") << "POSFIX" << posFixMissingMode << QStringList{};

    QTest::newRow("PC-HFDL, aligned") << "HFDL" << pcHfdl() << QStringList{"N12345|H1"};
    QTest::newRow("PC-HFDL, mode missing")
        << "HFDL" << pcHfdl().replace("mode: 2  ", "mode:   ") << QStringList{};
}

void PcHfdlPosFixTest::registrationTrimsBlanksOnly()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, text);
    QFETCH(QStringList, stored);
    TempStore store(*m_env);
    const LivePassResult r = store.live(type, text);
    QCOMPARE(r.stored, stored.size());
    QStringList got;
    for (const MessageRecord &m : store.messages())
        got << m.mReg + u'|' + m.mLabel;
    QCOMPARE(got, stored);
}

void PcHfdlPosFixTest::posFixBlocks()
{
    TempStore store(*m_env);
    const QByteArray body(300, 'B');
    const QByteArray longText =
        posFix("  Msg. no: M02B\r\nFlight id: LH0400\r\nMessage content:-\r\n" + body + "\r\n" +
               QByteArray(59, '-') + kTime + "\r\n");
    const QByteArray noContent =
        posFix("  Msg. no: M03C\r\nFlight id: AF0001\r\n" + QByteArray(59, '-') + kTime + "\r\n");
    const LivePassResult r =
        store.live(QStringLiteral("POSFIX"),
                   "text before the first block\r\n" + posFixDownlink() + longText + noContent);
    QCOMPARE(r.stored, qint64(3));
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(QStringList({rows[0].mMode, rows[0].mReg, rows[0].mLabel, rows[0].mBlk, rows[0].mNo,
                          rows[0].mFlight}),
             QStringList({"2", "N12345", "H1", "", "M01A", "BA0123"}));
    QCOMPARE(rows[0].mText, QString("LINE ONE\r\nLINE TWO\r\n"));
    QCOMPARE(rows[0].mTime.toStorage(), QString("2024-03-05 14:07:00"));
    QVERIFY(rows[0].mFileName.startsWith("Live data "));
    QVERIFY(!rows[0].mFileName.startsWith("Live data:"));
    QCOMPARE(rows[1].mText, QString::fromLatin1(body + "\r\n"));
    QCOMPARE(rows[2].mFlight, QString("AF0001"));
    QCOMPARE(rows[2].mText, QString());
}

void PcHfdlPosFixTest::posFixTimeSeparators_data()
{
    QTest::addColumn<QByteArray>("time");
    QTest::newRow("dots") << QByteArray("[05.03.2024 14.07]");
    QTest::newRow("hyphens") << QByteArray("[05-03-2024T14h07]");
    QTest::newRow("slashes") << kTime;
}

void PcHfdlPosFixTest::posFixTimeSeparators()
{
    QFETCH(QByteArray, time);
    PosFixReader reader;
    const ReadResult got = readAll(reader, posFixDownlink(time));
    QCOMPARE(got.records.size(), 1);
    QCOMPARE(got.records[0].mTime.toDisplay(), QString("05/03/2024 14:07"));
}

void PcHfdlPosFixTest::posFixDroppedBlocks()
{
    PosFixReader reader;
    const QByteArray mess =
        posFix("       Message content:-\r\nX\r\n" + QByteArray(59, '-') + kTime);
    const QByteArray badFlight = posFixDownlink(kTime, "BA*123");
    const QByteArray badTime = posFixDownlink("[45/03/2024 14:07]");
    const QByteArray badBlock =
        "ACARS mode: 2  Aircraft reg: .N12345\r\nMessage label: H1  Block id: _  Msg. no: M01A\r\n";
    const ReadResult got =
        readAll(reader, mess + badFlight + badTime + badBlock + posFixDownlink());
    QCOMPARE(got.dropped, 4);
    QCOMPARE(got.records.size(), 1);
    QCOMPARE(got.records[0].mFlight, QString("BA0123"));
}

void PcHfdlPosFixTest::posFixUplinks()
{
    TempStore store(*m_env);
    LivePassResult r =
        store.live(QStringLiteral("POSFIX"), posFix("   [Uplink]\r\nSHORT\r\n") + kTime);
    QCOMPARE(r.stored, qint64(1));
    r = store.live(QStringLiteral("POSFIX"),
                   posFix("   [Uplink] ") + uplinkRest("LONG UPLINK " + QByteArray(48, 'L')));
    QCOMPARE(r.stored, qint64(1));
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mFlight, QString("Uplink"));
    QCOMPARE(rows[0].mText, QString());
    QCOMPARE(rows[0].mLabel, QString());
    QCOMPARE(rows[1].mText, "LONG UPLINK " + QString(48, u'L'));
    QCOMPARE(rows[1].mTime.toStorage(), QString("2024-03-05 14:07:00"));
}

QTEST_GUILESS_MAIN(PcHfdlPosFixTest)
#include "tst_pchfdlposfix.moc"
