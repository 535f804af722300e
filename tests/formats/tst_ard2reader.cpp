#include "AirNavFamilyFixtures.h"
#include "formats/Ard2Reader.h"

#include <QTest>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::family;

Q_DECLARE_METATYPE(corvane::test::family::Header)

namespace
{
using Source = Ard2Reader::Source;

const char *tagOf(Source s)
{
    return s == Source::Log ? "log" : "live";
}

MessageTime readingTime()
{
    return {2024, 3, 5, 14, 7, 42};
}
} // namespace

class Ard2ReaderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void header_data();
    void header();
    void downlinkText_data();
    void downlinkText();
    void uplink_data();
    void uplink();
    void downlinkTextLikeAnUplink_data();
    void downlinkTextLikeAnUplink();
    void importStampsReadingTime();
    void livePassKeepsFirstLine();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void Ard2ReaderTest::initTestCase()
{
    m_env = std::make_unique<TestEnvironment>();
}

void Ard2ReaderTest::init()
{
    m_env->resetSettings();
}

void Ard2ReaderTest::header_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<Header>("header");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("flight");

    for (Source s : {Source::Log, Source::Live}) {
        Header h;
        QTest::addRow("%s: header", tagOf(s)) << int(s) << h << true << "5Z"
                                              << "BA0123";
        h.mode = " ";
        h.label = "Q";
        h.flight = "BA12  ";
        QTest::addRow("%s: blank mode, short label and flight", tagOf(s))
            << int(s) << h << true << "Q "
            << "BA12  ";
        h = Header();
        h.block = "/";
        QTest::addRow("%s: block id not valid", tagOf(s)) << int(s) << h << false << ""
                                                          << "";
        h = Header();
        h.reg = "N1$345";
        QTest::addRow("%s: registration not valid", tagOf(s)) << int(s) << h << false << ""
                                                              << "";
    }
}

void Ard2ReaderTest::header()
{
    QFETCH(int, source);
    QFETCH(Header, header);
    QFETCH(bool, kept);
    const bool log = Source(source) == Source::Log;
    Header good;
    good.reg = "G-GOOD";
    Ard2Reader reader(Source(source), readingTime);
    const ReadResult r = readAll(reader, ard2(header, log) + ard2(good, log));
    QCOMPARE(r.records.size(), kept ? 2 : 1);
    QCOMPARE(r.records.last().mReg, QString("G-GOOD"));
    if (!kept)
        return;
    QCOMPARE(r.records.first().mMode, QString::fromLatin1(header.mode));
    QTEST(r.records.first().mLabel, "label");
    QTEST(r.records.first().mFlight, "flight");
    QCOMPARE(r.records.first().mTime.toDisplay(), QString("05/03/2024 14:07"));
}

void Ard2ReaderTest::downlinkText_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("body");

    const QByteArray body = lines({"LINE ONE", "LINE TWO"});
    for (Source s : {Source::Log, Source::Live}) {
        const bool log = s == Source::Log;
        QTest::addRow("%s: body", tagOf(s))
            << int(s) << ard2({}, log, &body) << QString::fromLatin1(body);
        QTest::addRow("%s: no body", tagOf(s)) << int(s) << ard2({}, log) << "";
    }
    // Live text may stop without the hyphens: its last line is left out.
    QTest::newRow("live: text running to the end")
        << int(Source::Live) << ard2Header({}, false) + "Message content:-\r\n" + body
        << "LINE ONE\r\n";
}

void Ard2ReaderTest::downlinkText()
{
    QFETCH(int, source);
    QFETCH(QByteArray, text);
    Ard2Reader reader(Source(source), readingTime);
    const ReadResult r = readAll(reader, text);
    QCOMPARE(r.records.size(), 1);
    QTEST(r.records.first().mText, "body");
    QCOMPARE(r.records.first().mTime.toDisplay(), QString("05/03/2024 14:07"));
}

void Ard2ReaderTest::uplink_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("text");
    QTest::addRow("log") << int(Source::Log) << "REQUEST POSITIO";
    QTest::addRow("live") << int(Source::Live) << " [Uplink]  REQUEST POSITION";
}

// Uplinks carry their own time, which no trimming may shorten.
void Ard2ReaderTest::uplink()
{
    QFETCH(int, source);
    Ard2Reader reader(Source(source), readingTime);
    const ReadResult r = readAll(reader, ard2Header({}, Source(source) == Source::Log, true) +
                                             uplinkTail("REQUEST POSITION", "01/02/2004 12:34"));
    QCOMPARE(r.records.size(), 1);
    QCOMPARE(r.records.first().mFlight, QString("Uplink"));
    QVERIFY(r.records.first().isUplink());
    QTEST(r.records.first().mText, "text");
    QCOMPARE(r.records.first().mTime.toDisplay(), QString("01/02/2004 12:34"));
}

void Ard2ReaderTest::downlinkTextLikeAnUplink_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("log: trimmed like an uplink")
        << int(Source::Log) << lines({" [Uplink] ABCDEFG"}) << "BCDEFG\r";
    QTest::newRow("live: kept whole")
        << int(Source::Live) << lines({" [Uplink] ABCDEFG"}) << " [Uplink] ABCDEFG\r\n";
}

// The hand-over looks at the text, not at the record's direction; the
// downlink keeps the time it was read at.
void Ard2ReaderTest::downlinkTextLikeAnUplink()
{
    QFETCH(int, source);
    QFETCH(QByteArray, body);
    TempStore store(*m_env);
    const bool log = Source(source) == Source::Log;
    const QByteArray text = ard2({}, log, &body);
    const QString before = MessageTime::now().withoutSeconds().toStorage();
    if (log) {
        const QString path = m_env->writeFile(QStringLiteral("ard2.log"), text);
        QCOMPARE(store.import(QStringLiteral("ARD2"), path).stored, 1);
    } else {
        QCOMPARE(store.live(QStringLiteral("ARD2"), text).stored, 1);
    }
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows.size(), 1);
    QTEST(rows[0].mText, "text");
    QVERIFY(rows[0].mTime.toStorage() >= before);
    QVERIFY(rows[0].mTime.toStorage() <= MessageTime::now().toStorage());
}

// Downlinks are stamped when they are read; the time in the text is not used.
void Ard2ReaderTest::importStampsReadingTime()
{
    TempStore store(*m_env);
    const QString path =
        m_env->writeFile(QStringLiteral("ard2.log"), ard2({}, true) + ard2Header({}, true, true) +
                                                         uplinkTail("REQUEST", "01/02/2004 12:35"));
    const QString before = MessageTime::now().withoutSeconds().toStorage();
    const ImportResult result = store.import(QStringLiteral("ARD2"), path);
    const QString after = MessageTime::now().toStorage();
    QCOMPARE(result.stored, 2);
    const QList<MessageRecord> rows = store.messages();
    const QString stamped = rows[0].mTime.toStorage();
    QVERIFY2(stamped >= before && stamped <= after, qPrintable(stamped));
    QVERIFY(stamped.endsWith(QLatin1String(":00")));
    QCOMPARE(rows[1].mTime.toStorage(), QString("2004-02-01 12:35:00"));
}

void Ard2ReaderTest::livePassKeepsFirstLine()
{
    TempStore store(*m_env);
    const QByteArray body = lines({"LINE ONE"});
    const LivePassResult r = store.live(QStringLiteral("ARD2"), ard2({}, false, &body));
    QCOMPARE(r.stored, 1);
    const QList<MessageRecord> rows = store.messages();
    QCOMPARE(rows[0].mText, QString("LINE ONE\r\n"));
    QVERIFY(rows[0].mFileName.startsWith(QLatin1String("Live data ")));
}

QTEST_GUILESS_MAIN(Ard2ReaderTest)
#include "tst_ard2reader.moc"
