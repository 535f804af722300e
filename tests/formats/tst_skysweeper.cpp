#include "AirNavFamilyFixtures.h"
#include "formats/SkySweeperLiveFile.h"
#include "formats/SkySweeperReader.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

namespace
{
using Lines = QList<QByteArray>;

// The block readers of the two SkySweeper live types.
BlockReaderFactory hfLive()
{
    return LiveTypes::find(QStringLiteral("SSHF"))->makeBlockReader;
}
BlockReaderFactory vhfLive()
{
    return LiveTypes::find(QStringLiteral("SSVHF"))->makeBlockReader;
}

QByteArray field(const QByteArray &caption, const QByteArray &value)
{
    return caption.leftJustified(10, ' ') + value;
}

// One SkySweeper ACARS block; the text lines follow it, then an empty line
// unless the block is the last thing in the file.
struct Acars {
    QByteArray header = "DOWNLINK ACARS MESSAGE";
    QByteArray date = "05/03/2024";
    QByteArray time = "14:07:33";
    QByteArray mode = "2";
    QByteArray reg = "..G-ABCD";
    QByteArray label = "H1";
    QByteArray blk = "5";
    QByteArray no = "M01A";
    QByteArray flight = "BA0123";
    Lines text = {"LINE ONE", "LINE TWO"};
    bool closed = true;

    Lines lines() const
    {
        const bool up = header.startsWith("UPLINK");
        Lines l = {header, "----------------------", field("Date", date), field("Time", time)};
        l << field("Mode", mode) << field("Reg Num", reg) << field("Freq", "131.725")
          << field("Label", label);
        if (up)
            l << field("Ack", "NAK") << field("Type", "1");
        else
            l << field("BDI", blk) << field("MSN", no) << field("Flight", flight) << "----";
        l << text;
        if (closed)
            l << QByteArray();
        return l;
    }
    QByteArray bytes() const { return family::lines(lines()); }
};

QByteArray hfdl(const Lines &afterTime)
{
    Lines l = {"DOWNLINK HFDL MESSAGE", "---------------------",     field("Ground", "Shannon"),
               field("Freq", "8.977"),  field("Date", "05/03/2024"), field("Time", "14:07:33")};
    return family::lines(l + afterTime);
}

QByteArray flightId(const QByteArray &id)
{
    return QByteArray(10, ' ') + "Flight Id         " + id;
}
const QByteArray kLatitude = QByteArray(12, ' ') + "Latitude          N 52 30.1";
const QByteArray kLongitude = QByteArray(12, ' ') + "Longitude         W 009 12.4";

ReadResult read(SkySweeperReader::Band band, const QByteArray &text)
{
    SkySweeperReader reader(band, SkySweeperReader::Source::Log);
    return readAll(reader, text);
}
} // namespace

class SkySweeperTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void acarsBlocks_data();
    void acarsBlocks();
    void malformedBlocksAreSkipped();
    void hfdlBlocks_data();
    void hfdlBlocks();
    void vhfIgnoresHfdlHeader();
    void endOfLogClosesTheLastText();
    void importStoresFullTextAndKeepsUplinkTime();
    void livePollResumesAPartialBlock();
    void livePollReadsPastShortLinesAndWaitsForLineEnds();
    void liveSessionPollsOnTheRecorderThread();
    void commandLine();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void SkySweeperTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void SkySweeperTest::acarsBlocks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("fields"); // reg, label, blk, no, flight, text

    Acars plain;
    QTest::newRow("downlink") << plain.bytes()
                              << QStringList{"G-ABCD", "H1",     "5",
                                             "M01A",   "BA0123", "LINE ONELINE TWO"};
    Acars dots;
    dots.reg = "...ABCD";
    dots.label = "_<";
    QTest::newRow("three dots, label _<")
        << dots.bytes() << QStringList{"ABCD", "", "5", "M01A", "BA0123", "LINE ONELINE TWO"};
    Acars originator;
    originator.text = {"Message Originator: EGLL", "Address   : X", "Free Text   : HELLO.", "MORE"};
    QTest::newRow("free text") << originator.bytes()
                               << QStringList{"G-ABCD", "H1", "5", "M01A", "BA0123", "HELLOMORE"};
    Acars noFree;
    noFree.text = {"Message Originator: EGLL", "Address   : X"};
    QTest::newRow("originator without free text")
        << noFree.bytes() << QStringList{"G-ABCD", "H1", "5", "M01A", "BA0123", ""};
    Acars shortFree;
    shortFree.text = {"Message Originator", "Free Text", "NEXT"};
    QTest::newRow("short free text line")
        << shortFree.bytes() << QStringList{"G-ABCD", "H1", "5", "M01A", "BA0123", "NEXT"};
    Acars up;
    up.header = "UPLINK ACARS MESSAGE";
    up.reg = ".N12345";
    up.text = {"CLEARED TO", "FL350"};
    QTest::newRow("uplink") << up.bytes()
                            << QStringList{"N12345", "H1", "", "", "Uplink", "CLEARED TOFL350"};
    Acars upOriginator = up;
    upOriginator.text = {"Message Originator: EGLL", "TEXT"};
    QTest::newRow("uplink with originator")
        << upOriginator.bytes() << QStringList{"N12345", "H1", "", "", "Uplink", ""};
}

void SkySweeperTest::acarsBlocks()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, fields);
    for (auto band : {SkySweeperReader::Band::Vhf, SkySweeperReader::Band::Hf}) {
        const ReadResult got = read(band, "noise\r\n" + text);
        QCOMPARE(got.dropped, 0);
        QCOMPARE(got.records.size(), 1);
        const MessageRecord &r = got.records.first();
        QCOMPARE(QStringList({r.mReg, r.mLabel, r.mBlk, r.mNo, r.mFlight, r.mText}), fields);
        QCOMPARE(r.mMode, QString("2"));
        QCOMPARE(r.mTime.toDisplay(), QString("05/03/2024 14:07"));
    }
}

void SkySweeperTest::malformedBlocksAreSkipped()
{
    Acars good;
    Acars noMode;
    Lines l = noMode.lines();
    l.removeAt(4);
    Acars badReg;
    badReg.reg = "N12_3";
    Acars badFlight;
    badFlight.flight = "BA*123";
    Acars badDate;
    badDate.date = "45/13/2024";
    Acars secondGood;
    secondGood.flight = "LH0400";
    const ReadResult got =
        read(SkySweeperReader::Band::Vhf, family::lines(l) + badReg.bytes() + badFlight.bytes() +
                                              badDate.bytes() + secondGood.bytes());
    QCOMPARE(got.dropped, 4);
    QCOMPARE(got.records.size(), 1);
    QCOMPARE(got.records.first().mFlight, QString("LH0400"));
}

void SkySweeperTest::hfdlBlocks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("dropped");
    QTest::addColumn<QStringList>("fields"); // reg, flight, text, time; empty: nothing stored

    const QStringList position{"AFR447", "HFDL", "N5230.1W00912.4", "05/03/2024 14:07:33"};
    QTest::newRow("position") << hfdl({"any", flightId("AFR447"), "any", kLatitude, kLongitude})
                              << 0 << position;
    QTest::newRow("search passes other lines")
        << hfdl({"Slot 3", "Lpdu  x", flightId("AFR447"), "any", kLatitude, kLongitude}) << 0
        << position;
    QTest::newRow("short flight id")
        << hfdl({flightId("AF"), "any", kLatitude, kLongitude}) << 1 << QStringList();
    QTest::newRow("no latitude") << hfdl({flightId("AFR447"), "any", "x", kLongitude}) << 1
                                 << QStringList();
    QTest::newRow("no flight id before the end") << hfdl({"any", "other"}) << 0 << QStringList();

    Acars carried;
    carried.text = {"Message Originator: X", "TEXT"};
    Lines inner = carried.lines().mid(4); // from the mode line on
    QTest::newRow("carried acars, originator")
        << hfdl(Lines{"DOWNLINK ACARS MESSAGE", "a", "b", "c"} + inner) << 0
        << QStringList{"G-ABCD", "BA0123", "", "05/03/2024 14:07:00"};
    carried.text = {"CARRIED", "TEXT"};
    inner = carried.lines().mid(4);
    QTest::newRow("carried acars, text")
        << hfdl(Lines{"DOWNLINK ACARS MESSAGE", "a", "b", "c"} + inner) << 0
        << QStringList{"G-ABCD", "BA0123", "CARRIEDTEXT", "05/03/2024 14:07:00"};
}

void SkySweeperTest::hfdlBlocks()
{
    QFETCH(QByteArray, text);
    QFETCH(int, dropped);
    QFETCH(QStringList, fields);
    const ReadResult got = read(SkySweeperReader::Band::Hf, text);
    QCOMPARE(got.dropped, dropped);
    QCOMPARE(got.records.size(), fields.isEmpty() ? 0 : 1);
    if (!fields.isEmpty()) {
        const MessageRecord &r = got.records.first();
        QCOMPARE(QStringList({r.mReg, r.mFlight, r.mText, r.mTime.toGeneralDate()}), fields);
    }
}

void SkySweeperTest::vhfIgnoresHfdlHeader()
{
    Acars after;
    const QByteArray text =
        hfdl({flightId("AFR447"), "any", kLatitude, kLongitude, ""}) + after.bytes();
    QCOMPARE(read(SkySweeperReader::Band::Vhf, text).records.size(), 1);
    QCOMPARE(read(SkySweeperReader::Band::Hf, text).records.size(), 2);
}

void SkySweeperTest::endOfLogClosesTheLastText()
{
    Acars first;
    Acars last;
    last.flight = "LH0400";
    last.closed = false;
    QByteArray text = first.bytes() + last.bytes();
    text.chop(2); // not even a line break after the last line
    ReadResult got = read(SkySweeperReader::Band::Vhf, text);
    QCOMPARE(got.records.size(), 2);
    QCOMPARE(got.records.last().mText, QString("LINE ONELINE TWO"));

    // A header on the last line stores nothing for it.
    got = read(SkySweeperReader::Band::Vhf, first.bytes() + "DOWNLINK ACARS MESSAGE");
    QCOMPARE(got.records.size(), 1);
}

void SkySweeperTest::importStoresFullTextAndKeepsUplinkTime()
{
    TempStore store(*m_env);
    Acars longText;
    longText.text = {QByteArray(300, 'A'), QByteArray(20, 'B')};
    Acars handedOver;
    handedOver.header = "UPLINK ACARS MESSAGE";
    handedOver.reg = ".N12345";
    handedOver.text = {" [Uplink] 1234567890]"};
    const QString path = m_env->writeFile(
        QStringLiteral("sshf.log"), longText.bytes() + handedOver.bytes() +
                                        hfdl({flightId("AFR447"), "", kLatitude, kLongitude}));
    const ImportResult result = store.import(QStringLiteral("SSHF"), path);
    QVERIFY(result.read);
    QCOMPARE(result.stored, qint64(3));
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].mText, QString(300, u'A') + QString(20, u'B'));
    QCOMPARE(rows[0].mFileName, QFileInfo(path).absoluteFilePath());
    QCOMPARE(rows[1].mFlight, QString("Uplink"));
    QCOMPARE(rows[1].mText, QString("234567890"));
    QCOMPARE(rows[1].mTime.toStorage(), QString("2024-03-05 14:07:00"));
    QCOMPARE(rows[2].mReg, QString("AFR447"));
    QCOMPARE(rows[2].mMode, QString(" "));
    QCOMPARE(rows[2].mTime.toStorage(), QString("2024-03-05 14:07:33"));
    QCOMPARE(store.timesHeard(QStringLiteral("AFR447"), QStringLiteral("HFDL")), qint64(1));
}

void SkySweeperTest::livePollResumesAPartialBlock()
{
    TempStore store(*m_env);
    const QString path = m_env->path(QStringLiteral("live-resume.log"));
    Acars first;
    Acars second;
    second.flight = "LH0400";
    const QByteArray secondBytes = second.bytes();
    const qsizetype cut = secondBytes.indexOf("LINE TWO");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(first.bytes() + secondBytes.left(cut));
    file.flush();

    SkySweeperLiveFile live(vhfLive());
    LivePassFrame frame(store.store(), store.recorder());
    QVERIFY(live.open(path));
    NewPairsList pairs;
    LivePassResult r = live.poll(frame, &pairs);
    QVERIFY(r.read);
    QCOMPARE(r.stored, qint64(1));
    QCOMPARE(live.position(), qint64(first.bytes().size())); // back at the second block's header

    file.write(secondBytes.mid(cut));
    file.flush();
    r = live.poll(frame, &pairs);
    QCOMPARE(r.stored, qint64(1));
    r = live.poll(frame, &pairs);
    QCOMPARE(r.stored, qint64(0));

    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].mFlight, QString("LH0400"));
    QCOMPARE(rows[1].mText, QString("LINE ONELINE TWO"));
    QVERIFY(rows[1].mFileName.startsWith("Live data "));
    QCOMPARE(pairs.registrations(), QStringList({"G-ABCD", "G-ABCD"}));
}

void SkySweeperTest::livePollReadsPastShortLinesAndWaitsForLineEnds()
{
    TempStore store(*m_env);
    Acars block;
    block.text = {"ONLY"};
    QByteArray bytes = "x\r\n\r\nshort\n" + block.bytes();
    bytes.chop(2); // the empty line that ends the text is still being written
    const QString path = m_env->writeFile(QStringLiteral("live-short.log"), bytes);
    SkySweeperLiveFile live(hfLive());
    LivePassFrame frame(store.store(), store.recorder());
    QVERIFY(live.open(path));
    QCOMPARE(live.poll(frame, nullptr).stored, qint64(0));
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("\r\n");
    file.close();
    QCOMPARE(live.poll(frame, nullptr).stored, qint64(1));
    QCOMPARE(live.position(), QFileInfo(path).size());
}

void SkySweeperTest::commandLine()
{
    Acars block;
    const QString log = m_env->writeFile(QStringLiteral("cli.log"), block.bytes());
    const QString dir = m_env->newDataDir();
    QProcess p;
    p.start(CORVANE_BINARY, {"parse-live", "--type", "SSVHF", "--data-dir", dir, log});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains(": 1 stored"));
    p.start(CORVANE_BINARY, {"import", "--decoder", "SSHF", "--data-dir", dir, log});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("1 stored"));
}

// The window's and the live command's path: the session opens the file and
// each poll runs as a job on the recorder thread, keeping its place between
// polls.
void SkySweeperTest::liveSessionPollsOnTheRecorderThread()
{
    TempStore store(*m_env);
    const QString path = m_env->path(QStringLiteral("live-session.log"));
    Acars first;
    Acars second;
    second.flight = "LH0400";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(first.bytes());
    file.flush();

    RecorderThread recorder;
    QVERIFY(recorder.start(store.folder()));
    LiveSession session(recorder);
    QSignalSpy passes(&session, &LiveSession::passFinished);
    QString error;
    QVERIFY2(session.start(QStringLiteral("SSVHF"), path, &error), qPrintable(error));
    session.pollBlocks();
    QTRY_COMPARE(passes.size(), 1);
    QCOMPARE(passes.at(0).at(0).value<LivePassResult>().stored, qint64(1));
    file.write(second.bytes());
    file.flush();
    session.pollBlocks();
    QTRY_COMPARE(passes.size(), 2);
    QCOMPARE(passes.at(1).at(0).value<LivePassResult>().stored, qint64(1));
    QCOMPARE(session.newPairs().count(), 2.0);
    session.stop();
    recorder.drain();
    QCOMPARE(store.messages().size(), 2);

    QVERIFY(!session.start(QStringLiteral("SSVHF"), m_env->path("missing.log"), &error));
    QVERIFY(error.contains(QStringLiteral("missing.log")));
}

QTEST_GUILESS_MAIN(SkySweeperTest)
#include "tst_skysweeper.moc"
