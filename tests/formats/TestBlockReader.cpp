#include "formats/BlockReader.h"
#include "formats/DecoderStream.h"
#include "formats/ImportObserver.h"
#include "formats/LiveFlags.h"
#include "formats/LivePassFrame.h"
#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "formats/NewPairsList.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QtTest>

using namespace corvane;
using corvane::test::rows;

namespace
{

// Builds SkySpy (59 hyphens) or ZCARS (37 hyphens) blocks as the decoders write them.
struct Block {
    QByteArray reg = ".N12345";
    QByteArray label = "H1";
    QByteArray blk = "2";
    QByteArray no = "M01A";
    QByteArray flight = "BA0123";
    QByteArray body; // without "Message content:-"; empty: no body
    QByteArray time = "01/02/2004 12:34";

    QByteArray text(int dashes) const
    {
        QByteArray b = "ACARS mode: 2  Aircraft reg: " + reg + "\r\nMessage label: " + label +
                       "  Block id: " + blk + "  Msg. no: " + no + "\r\nFlight id: " + flight +
                       "\r\n";
        if (!body.isEmpty())
            b += "Message content:-\r\n" + body;
        return b + QByteArray(dashes, '-') + "[" + time + "]\r\n";
    }
};

QByteArray uplink(int dashes, const QByteArray &time = "01/02/2004 12:36")
{
    return "ACARS mode: 2  Aircraft reg: .G-ABCD\r\nMessage label: _d  Block id: A [Uplink]  "
           "REQUEST\r\nSECOND LINE\r\n" +
           QByteArray(dashes, '-') + "[" + time + "]\r\n";
}

// The records read whole and accepted; a rejected one shows as "rejected".
QStringList readAll(RecordReader &reader, const QByteArray &text)
{
    DecoderStream s;
    s.openText(text);
    QStringList out;
    MessageRecord r;
    for (;;) {
        r.clear();
        const ReadOutcome o = reader.readRecord(s, r);
        if (o == ReadOutcome::EndOfText)
            return out;
        if (o != ReadOutcome::Record) {
            out << QStringLiteral("rejected");
            continue;
        }
        out << QStringList{r.mMode, r.mReg,    r.mLabel, r.mBlk,
                           r.mNo,   r.mFlight, r.mText,  r.mTime.toDisplay()}
                   .join(u'|');
    }
}

struct RecordingObserver : ImportObserver {
    QStringList messages;
    int finished = 0;
    void message(const QString &text) override { messages << text; }
    void finishLog() override { ++finished; }
};

} // namespace

class TestBlockReader : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void init() { env.resetSettings(); }

    void skySpyRecords_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("records");
        Block plain;
        plain.body = "HELLO\r\nWORLD\r\n";
        QTest::newRow("body kept with its line breaks")
            << plain.text(59)
            << QStringList{"2|N12345|H1|2|M01A|BA0123|HELLO\r\nWORLD\r\n|01/02/2004 12:34"};
        Block noBody;
        noBody.reg = "G-ABCDE";
        QTest::newRow("no content line: empty text")
            << noBody.text(59) << QStringList{"2|G-ABCDE|H1|2|M01A|BA0123||01/02/2004 12:34"};
        Block twoDots;
        twoDots.reg = "..N1234";
        QTest::newRow("two leading dots")
            << twoDots.text(59) << QStringList{"2|N1234|H1|2|M01A|BA0123||01/02/2004 12:34"};
        Block blanks;
        blanks.reg = "       ";
        QTest::newRow("seven blanks stay")
            << blanks.text(59) << QStringList{"2|       |H1|2|M01A|BA0123||01/02/2004 12:34"};
        Block dashRun;
        dashRun.body = "A\r\n" + QByteArray(59, '-') + "[01/02/2004 12:00]\r\n";
        QTest::newRow("body with a dash run ends there")
            << dashRun.text(59) << QStringList{"2|N12345|H1|2|M01A|BA0123|A\r\n|01/02/2004 12:00"};
        QTest::newRow("uplink keeps its chunk, time from brackets")
            << uplink(59)
            << QStringList{"2|G-ABCD||A||Uplink| [Uplink]  REQUESTSECOND LINE|01/02/2004 12:36"};
        QTest::newRow("truncated record is not read") << plain.text(59).left(120) << QStringList{};
        QTest::newRow("text between records skipped")
            << "noise ACARS\r\n" + noBody.text(59) + "junk\r\n" + noBody.text(59)
            << QStringList{"2|G-ABCDE|H1|2|M01A|BA0123||01/02/2004 12:34",
                           "2|G-ABCDE|H1|2|M01A|BA0123||01/02/2004 12:34"};
        QByteArray unixEnds = plain.text(59);
        unixEnds.replace("\r\n", "\n");
        QTest::newRow("bare line feeds read as CRLF")
            << unixEnds
            << QStringList{"2|N12345|H1|2|M01A|BA0123|HELLO\r\nWORLD\r\n|01/02/2004 12:34"};
        // Each record starts from nothing: no field of one record shows in the next.
        QTest::newRow("a record without body after one with a body")
            << plain.text(59) + noBody.text(59)
            << QStringList{"2|N12345|H1|2|M01A|BA0123|HELLO\r\nWORLD\r\n|01/02/2004 12:34",
                           "2|G-ABCDE|H1|2|M01A|BA0123||01/02/2004 12:34"};
        Block badTime;
        badTime.time = "99/99/2004 12:34";
        QTest::newRow("time that is no date") << badTime.text(59) << QStringList{"rejected"};
    }
    void skySpyRecords()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, records);
        BlockReader reader(BlockReader::skySpy());
        QCOMPARE(readAll(reader, text), records);
    }

    void zcarsRecords()
    {
        Block b;
        b.body = QByteArray(300, 'x') + "\r\n";
        BlockReader reader(BlockReader::zcars());
        const QStringList got = readAll(reader, b.text(37) + Block().text(37) + uplink(40));
        QCOMPARE(got.size(), 3);
        // Long texts are kept whole.
        QCOMPARE(got[0].section(u'|', 6, 6).size(), 302);
        QCOMPARE(got[1], QStringLiteral("2|N12345|H1|2|M01A|BA0123||01/02/2004 12:34"));
        QVERIFY(got[2].contains(QLatin1String("|Uplink|")));
    }

    void windows1252TextIsDecoded()
    {
        Block b;
        b.body = "caf\xe9 \x80\r\n";
        BlockReader reader(BlockReader::skySpy());
        const QStringList got = readAll(reader, b.text(59));
        QCOMPARE(got.first().section(u'|', 6, 6), QStringLiteral("caf\u00e9 \u20ac\r\n"));
    }

    void markersCutByTheBlockBoundaryAreFound()
    {
        // Records straddling the 1 MiB read blocks of a file.
        Block b;
        b.body = "TEXT\r\n";
        QByteArray text = "SkySpy\r\n";
        while (text.size() < 3 * DecoderStream::kBlockSize)
            text += b.text(59);
        const qsizetype expected = text.count("ACARS mode");
        const QString path = env.writeFile("big.log", text);
        DecoderStream s;
        QVERIFY(s.openFile(path));
        BlockReader reader(BlockReader::skySpy());
        QVERIFY(reader.acceptsHeading(s));
        MessageRecord r;
        qsizetype n = 0;
        while (reader.readRecord(s, r) == ReadOutcome::Record) {
            QCOMPARE(r.mText, QStringLiteral("TEXT\r\n"));
            ++n;
        }
        QCOMPARE(n, expected);
    }

    void importRunStoresRegistersAndNewPairs()
    {
        Store store;
        store.open(env.newDataDir());
        MessageRecorder recorder(store);
        LogImporter importer(store, recorder);
        Block a;
        Block b;
        b.reg = "G-ABCDE";
        b.flight = "XY0001";
        const QString p1 =
            env.writeFile("one/a.log", "SkySpy\r\n" + a.text(59) + b.text(59) + uplink(59));
        const QString p2 = env.writeFile("one/b.log", "SkySpy\r\n" + a.text(59) + "trailing text");
        recorder.setRecordUplinks(false);
        RecordingObserver obs;
        const auto results = importer.importFiles(*LogFormats::find("SkySpy"), {p1, p2}, &obs);
        QCOMPARE(results.size(), size_t(2));
        QCOMPARE(results[0].name, QStringLiteral("a.log"));
        QCOMPARE(results[0].stored, 2);
        QCOMPARE(results[0].skipped, 1);
        QCOMPARE(results[1].stored, 1);
        QCOMPARE(obs.finished, 2);
        QCOMPARE(rows(store, "SELECT FileName FROM LOGSPROCESSED"),
                 (QStringList{"a.log", "b.log"}));
        QCOMPARE(
            rows(store,
                 "SELECT Registration, Flight, TimesHeard FROM ACARSLOG ORDER BY Registration"),
            (QStringList{"G-ABCDE|XY0001|1", "N12345|BA0123|2"}));
        // The new-pairs file holds the pairs first heard in the last file only.
        QFile newFile(QDir(store.folder()).filePath("new"));
        QVERIFY(newFile.open(QIODevice::ReadOnly));
        QCOMPARE(newFile.readAll(),
                 QByteArray("New Aircraft/Flight Numbers for Log File b.log\r\n\r\n"));
    }

    void checkedFieldsCountAfterTheUplinkFilter_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("rejected");
        QTest::newRow("uplinks recorded") << 1 << 0 << 3;
        QTest::newRow("uplinks not recorded") << 0 << 2 << 1;
    }
    // The fields and the time of a whole block are checked at hand-over: an
    // uplink that is not recorded counts as skipped, whatever it holds.
    void checkedFieldsCountAfterTheUplinkFilter()
    {
        QFETCH(int, setting);
        Store store;
        store.open(env.newDataDir());
        MessageRecorder recorder(store);
        recorder.setRecordUplinks(setting == 1);
        LogImporter importer(store, recorder);
        Block badBlock;
        badBlock.blk = "_";
        const QByteArray badUplink = uplink(59).replace(".G-ABCD", ".G_ABCD");
        const QString path =
            env.writeFile("checks/a.log", "SkySpy\r\n" + badBlock.text(59) + badUplink +
                                              uplink(59, "99/99/2004 12:36") + Block().text(59));
        const ImportResult r =
            importer.importFiles(*LogFormats::find("SkySpy"), {path}, nullptr).front();
        QCOMPARE(r.stored, 1);
        QTEST(int(r.skipped), "skipped");
        QTEST(int(r.rejected), "rejected");
    }

    void refusedAndMissingFiles()
    {
        Store store;
        store.open(env.newDataDir());
        MessageRecorder recorder(store);
        LogImporter importer(store, recorder);
        const QString lower = env.writeFile("lower.log", "skyspy\r\n" + Block().text(59));
        const QString good = env.writeFile("good.log", "SkySpy\r\n" + Block().text(59));
        RecordingObserver obs;
        const auto results = importer.importFiles(*LogFormats::find("SkySpy"),
                                                  {lower, env.path("missing.log"), good}, &obs);
        QCOMPARE(results.size(), size_t(3));
        QVERIFY(!results[0].read);
        QCOMPARE(results[0].error, QStringLiteral("This is not a SkySpy log file."));
        QVERIFY(!results[1].read);
        QVERIFY(results[1].error.contains(QLatin1String("missing.log")));
        QCOMPARE(results[2].stored, 1);
        // The refused file stays registered; the missing one never was.
        QCOMPARE(rows(store, "SELECT FileName FROM LOGSPROCESSED"),
                 (QStringList{"lower.log", "good.log"}));
        QCOMPARE(obs.messages.size(), 2);
    }

    void oneFileRecordsItsAbsolutePathByItsLast50Characters()
    {
        Store store;
        store.open(env.newDataDir());
        MessageRecorder recorder(store);
        LogImporter importer(store, recorder);
        const QString path =
            env.writeFile(QString(60, u'd') + "/x.log", "SkySpy\r\n" + Block().text(59));
        importer.importFiles(*LogFormats::find("SkySpy"), {path}, nullptr);
        QCOMPARE(rows(store, "SELECT mFileName FROM tMessage"), QStringList{path});
        QCOMPARE(rows(store, "SELECT FileName FROM LOGSPROCESSED"), QStringList{path.right(50)});
    }

    void livePassDiscardsTheFirstValueThenRecords()
    {
        Store store;
        store.open(env.newDataDir());
        MessageRecorder recorder(store);
        LivePassFrame frame(store, recorder);
        NewPairsList pairs;
        const LiveType &skySpy = *LiveTypes::find("SkySpy");
        LiveFlags flags;
        Block b;
        b.time = QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm").toLatin1();
        const QString value = QString::fromLatin1(b.text(59));
        QVERIFY(frame.run(skySpy, value, flags, &pairs, nullptr).discarded);
        QVERIFY(!flags.restart);
        QCOMPARE(rows(store, "SELECT count(*) FROM tMessage").first(), QStringLiteral("0"));
        const LivePassResult r = frame.run(skySpy, value, flags, &pairs, nullptr);
        QCOMPARE(r.stored, 1);
        QCOMPARE(r.today, 1);
        QCOMPARE(r.todayAll, 1);
        QCOMPARE(pairs.registrations(), QStringList{"N12345"});
        QCOMPARE(pairs.frameCaption(), QStringLiteral("New (1)"));
        QVERIFY(rows(store, "SELECT mFileName FROM tMessage").first().startsWith("Live data "));
        QFile live(QDir(store.folder()).filePath("live.txt"));
        QVERIFY(live.open(QIODevice::ReadOnly));
        QVERIFY(live.readAll().startsWith("\r\nACARS mode"));
        // ZCARS live links record nothing and keep the discard pending.
        flags.restart = true;
        QCOMPARE(frame.run(*LiveTypes::find("ZCARS"), value, flags, &pairs, nullptr).stored, 0);
        QVERIFY(flags.restart);
    }

    void commandLineImport()
    {
        const QString dir = env.newDataDir();
        const QString log =
            env.writeFile("cli/a.log", "SkySpy\r\n" + Block().text(59) + uplink(59));
        QProcess p;
        p.start(CORVANE_BINARY, {"import", "--data-dir", dir, "--decoder", "SkySpy", log});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
                 log + QStringLiteral(": 2 stored, 0 skipped, 0 rejected\n"));
        p.start(CORVANE_BINARY, {"import", "--data-dir", dir, "--decoder", "Nope", log});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("SkySpy"));
        p.start(CORVANE_BINARY,
                {"--data-dir", dir, "import", "--decoder", "SkySpy", env.path("none.log")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("none.log"));
    }
};

QTEST_GUILESS_MAIN(TestBlockReader)
#include "TestBlockReader.moc"
