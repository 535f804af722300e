#include "AirNavFamilyFixtures.h"
#include "formats/AcarsdReader.h"
#include "formats/ImportObserver.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

Q_DECLARE_METATYPE(corvane::test::family::Header)

namespace
{
using Source = AcarsdReader::Source;

QByteArray record(Source source, const Header &h, const QByteArray &time,
                  const QByteArray *body = nullptr)
{
    return source == Source::Log ? acarsdLog(h, time, body) : acarsdLive(h, time, body);
}

QByteArray uplink(Source source, const QByteArray &text, const QByteArray &time)
{
    Header h;
    h.reg = "G-UPLK";
    return (source == Source::Log ? acarsdLogHeader(h, true) : acarsdLiveHeader(h, true)) +
           uplinkTail(text, time);
}

class StatusLog : public ImportObserver
{
public:
    void status(const QString &text) override { texts << text; }
    QStringList texts;
};
} // namespace

class AcarsdReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void header_data();
    void header();
    void logText_data();
    void logText();
    void liveText_data();
    void liveText();
    void uplinkKeepsTextAndMinutes_data();
    void uplinkKeepsTextAndMinutes();
    void downlinkTextLikeAnUplink_data();
    void downlinkTextLikeAnUplink();
    void importFollowsUplinkSetting_data();
    void importFollowsUplinkSetting();
    void importLeavesEmptyBadFile();
    void livePassReadsFromFirstLine();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void AcarsdReaderTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void AcarsdReaderTest::init()
{
    m_env->resetSettings();
}

// Log and live headers differ only in spacing: every row runs on both,
// followed by a good record that must still be read.
void AcarsdReaderTest::header_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<Header>("header");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("block");

    for (Source source : {Source::Log, Source::Live}) {
        const char *tag = source == Source::Log ? "log" : "live";
        Header h;
        QTest::addRow("%s: two-character label", tag) << int(source) << h << true << "5Z"
                                                      << "3";
        h.label = "Q";
        QTest::addRow("%s: one-character label", tag) << int(source) << h << true << "Q"
                                                      << "3";
        h = Header();
        h.mode = " ";
        QTest::addRow("%s: blank mode", tag) << int(source) << h << false << ""
                                             << "";
        h = Header();
        h.reg = ".......";
        QTest::addRow("%s: seven dots", tag) << int(source) << h << false << ""
                                             << "";
        h = Header();
        h.block = " ";
        QTest::addRow("%s: blank block id", tag) << int(source) << h << true << "5Z"
                                                 << " ";
        h.block = "*";
        QTest::addRow("%s: block id not valid", tag) << int(source) << h << false << ""
                                                     << "";
        h = Header();
        h.flight = "BA.123";
        QTest::addRow("%s: flight not valid", tag) << int(source) << h << false << ""
                                                   << "";
    }
}

void AcarsdReaderTest::header()
{
    QFETCH(int, source);
    QFETCH(Header, header);
    QFETCH(bool, kept);
    Header good;
    good.reg = "G-GOOD";
    const Source s = Source(source);
    AcarsdReader reader(s);
    const ReadResult r = readAll(reader, record(s, header, "01/02/2004 12:34") +
                                             record(s, good, "01/02/2004 12:35"));
    QCOMPARE(r.records.size(), kept ? 2 : 1);
    QCOMPARE(r.records.last().mReg, QString("G-GOOD"));
    QCOMPARE(r.records.last().mTime.toDisplay(), QString("01/02/2004 12:35"));
    if (!kept)
        return;
    QCOMPARE(r.records.first().mReg, QString("N12345"));
    QTEST(r.records.first().mLabel, "label");
    QTEST(r.records.first().mBlk, "block");
    QCOMPARE(r.records.first().mFlight, QString("BA0123"));
}

void AcarsdReaderTest::logText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("time");

    const QByteArray body = lines({"LINE ONE", "LINE TWO"});
    QTest::newRow("body") << acarsdLog({}, "01/02/2004 12:34", &body) << true
                          << QString::fromLatin1(body) << "01/02/2004 12:34";
    QTest::newRow("time on the header line") << acarsdLog({}, "01/02/2004 12:34") << true << ""
                                             << "01/02/2004 12:34";
    QTest::newRow("seconds dropped") << acarsdLog({}, "01/02/2004 12:34:56") << true << ""
                                     << "01/02/2004 12:34";
    const QByteArray dash = lines({"-"});
    QTest::newRow("single hyphen is no text")
        << acarsdLog({}, "01/02/2004 12:34", &dash) << true << ""
        << "01/02/2004 12:34";
    const QByteArray closing = lines({"LINE ONE", "SEE [NOTE]"});
    QTest::newRow("a text line ending in a bracket closes the text")
        << acarsdLog({}, "01/02/2004 12:34", &closing) << false << ""
        << "";
    QTest::newRow("time line without a bracket") << acarsdLogHeader({}) + "no time\r\n"
                                                 << false << ""
                                                 << "";
    QTest::newRow("time not a date") << acarsdLog({}, "01/13/2004 12:34") << false << ""
                                     << "";
    const QByteArray longBody = lines({QByteArray(400, 'L')});
    QTest::newRow("long text kept in full") << acarsdLog({}, "01/02/2004 12:34", &longBody) << true
                                            << QString::fromLatin1(longBody) << "01/02/2004 12:34";
}

void AcarsdReaderTest::logText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, kept);
    AcarsdReader reader(Source::Log);
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), kept ? 1 : 0);
    if (!kept)
        return;
    QTEST(r.records.first().mText, "body");
    QTEST(r.records.first().mTime.toDisplay(), "time");
}

void AcarsdReaderTest::liveText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("time");

    const QByteArray body = "POSITION 5130N00012W";
    QTest::newRow("body") << acarsdLive({}, "01/02/2004 12:34", &body) << true
                          << QString::fromLatin1(body) << "01/02/2004 12:34";
    QTest::newRow("no body") << acarsdLive({}, "01/02/2004 12:34") << true << ""
                             << "01/02/2004 12:34";
    QTest::newRow("seconds dropped") << acarsdLive({}, "01/02/2004 12:34:56") << true << ""
                                     << "01/02/2004 12:34";
    const QByteArray dash = "- REPEAT";
    QTest::newRow("text beginning with a hyphen")
        << acarsdLive({}, "01/02/2004 12:34", &dash) << true << ""
        << "01/02/2004 12:34";
    // The bracket stands more than 80 characters from the end of the line.
    QTest::newRow("no bracket in the last 80 characters")
        << acarsdLiveHeader({}) + "[01/02/2004 12:34]" + QByteArray(80, ' ') + "\r\n"
        << false << ""
        << "";
}

void AcarsdReaderTest::liveText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, kept);
    AcarsdReader reader(Source::Live);
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), kept ? 1 : 0);
    if (!kept)
        return;
    QTEST(r.records.first().mText, "body");
    QTEST(r.records.first().mTime.toDisplay(), "time");
}

void AcarsdReaderTest::uplinkKeepsTextAndMinutes_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QString>("expected");
    for (Source source : {Source::Log, Source::Live}) {
        const char *tag = source == Source::Log ? "log" : "live";
        QTest::addRow("%s", tag) << int(source) << QByteArray("01/02/2004 12:34")
                                 << "01/02/2004 12:34";
        QTest::addRow("%s, seconds", tag)
            << int(source) << QByteArray("01/02/2004 12:34:56") << "01/02/2004 12:34";
    }
}

// The direction chunk goes as it was read, so the text keeps its first
// character; the time is the bracketed date whole.
void AcarsdReaderTest::uplinkKeepsTextAndMinutes()
{
    QFETCH(int, source);
    QFETCH(QByteArray, time);
    AcarsdReader reader{Source(source)};
    const ReadResult r = readAll(reader, uplink(Source(source), "REQUEST POSITION", time));
    QCOMPARE(r.records.size(), 1);
    const MessageRecord &m = r.records.first();
    QCOMPARE(m.mFlight, QString("Uplink"));
    QVERIFY(m.isUplink());
    QCOMPARE(m.mLabel, QString());
    QCOMPARE(m.mNo, QString());
    QCOMPARE(m.mReg, QString("G-UPLK"));
    QCOMPARE(m.mText, QString("REQUEST POSITIO"));
    QTEST(m.mTime.toDisplay(), "expected");
}

void AcarsdReaderTest::downlinkTextLikeAnUplink_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    // The log reads a direction chunk of 10 characters, live text one of 11.
    QTest::newRow("log") << int(Source::Log) << lines({" [Uplink] ABCDEFG"}) << "ABCDEFG\r";
    QTest::newRow("log, short text") << int(Source::Log) << lines({" [Uplink] A"}) << "";
    QTest::newRow("live") << int(Source::Live) << QByteArray(" [Uplink] ABCDEFG") << "BCDEF";
}

// The hand-over looks at the text, not at the record's direction: a
// downlink gets the uplink's trim and keeps its time.
void AcarsdReaderTest::downlinkTextLikeAnUplink()
{
    QFETCH(int, source);
    QFETCH(QByteArray, body);
    TempStore store(*m_env);
    const QByteArray text = record(Source(source), {}, "01/02/2004 12:34", &body);
    if (Source(source) == Source::Log) {
        const QString path = m_env->writeFile(QStringLiteral("acarsd.txt"), text);
        QCOMPARE(store.import(QStringLiteral("ACARSD"), path).stored, 1);
    } else {
        QCOMPARE(store.live(QStringLiteral("ACARSD"), text).stored, 1);
    }
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 1);
    QTEST(rows[0].mText, "text");
    QCOMPARE(rows[0].mFlight, QString("BA0123"));
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
}

void AcarsdReaderTest::importFollowsUplinkSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("stored");
    QTest::newRow("uplinks recorded") << 1 << 2;
    QTest::newRow("uplinks not recorded") << 0 << 1;
}

void AcarsdReaderTest::importFollowsUplinkSetting()
{
    QFETCH(int, setting);
    TempStore store(*m_env);
    store.recorder().setRecordUplinks(setting == 1);
    const QString path = m_env->writeFile(QStringLiteral("acarsd.txt"),
                                          acarsdLog({}, "01/02/2004 12:34") +
                                              uplink(Source::Log, "REQUEST", "01/02/2004 12:35"));
    const ImportResult result = store.import(QStringLiteral("ACARSD"), path);
    QTEST(int(result.stored), "stored");
    QCOMPARE(result.skipped, setting ? 0 : 1);
    const QList<MessageRecord> rows = store.messages();
    QTEST(int(rows.size()), "stored");
    if (setting) {
        QCOMPARE(rows[1].mFlight, QString("Uplink"));
        QCOMPARE(rows[1].mTime.toStorage(), QString("2004-02-01 12:35:00"));
        QCOMPARE(store.timesHeard(QStringLiteral("G-UPLK"), QStringLiteral("Uplink")), 1);
    }
}

void AcarsdReaderTest::importLeavesEmptyBadFile()
{
    TempStore store(*m_env);
    const QString bad = QDir(store.folder()).filePath(AcarsdReader::badFileName());
    {
        QFile old(bad);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("left over");
    }
    const QString path =
        m_env->writeFile(QStringLiteral("acarsd.txt"), acarsdLog({}, "01/02/2004 12:34"));
    QCOMPARE(store.import(QStringLiteral("ACARSD"), path).stored, 1);
    QVERIFY(QFile::exists(bad));
    QCOMPARE(QFileInfo(bad).size(), 0);
    QCOMPARE(store.messages().first().mFileName, QFileInfo(path).absoluteFilePath());
}

void AcarsdReaderTest::livePassReadsFromFirstLine()
{
    TempStore store(*m_env);
    StatusLog status;
    const LivePassResult r = store.live(
        QStringLiteral("ACARSD"),
        acarsdLive({}, "01/02/2004 12:34") + acarsdLive({}, "01/02/2004 12:35"), &status);
    QCOMPARE(r.stored, 2);
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mTime.toStorage(), QString("2004-02-01 12:34:00"));
    QCOMPARE(rows[0].mFileName, QString("Live ACARSD data"));
    QVERIFY(store.newPairs().registrations().isEmpty());
    QCOMPARE(status.texts, QStringList({"Updating database...", ""}));
}

QTEST_GUILESS_MAIN(AcarsdReaderTest)
#include "tst_acarsdreader.moc"
