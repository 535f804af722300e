#include "formats/NewPairsList.h"
#include "store/NewPairsSink.h"
#include "store/PgConnection.h"
#include "store/PgSchema.h"
#include "store/ServerRecorder.h"
#include "store/ServerUrl.h"
#include "store/StoreError.h"
#include "support/ThrowawayServer.h"

#include <QProcess>
#include <QtTest>

using namespace corvane;

namespace
{

struct PairList : NewPairsSink {
    QStringList pairs;
    void newPair(const QString &registration, const QString &flight) override
    {
        pairs << registration + u'/' + flight;
    }
};

MessageRecord message(const QString &reg, const QString &flight, const QString &time,
                      const QString &text = QStringLiteral("POSREP"))
{
    MessageRecord r;
    r.mTime = *MessageTime::fromStorage(time);
    r.mReg = reg;
    r.mFlight = flight;
    r.mLabel = QStringLiteral("H1");
    r.mText = text;
    return r;
}

qint64 single(PgConnection &db, const QByteArray &sql)
{
    return db.query(sql).int64(0, 0);
}

// Rows of a kept table that a recount from the messages does not give, and
// the other way round.
qint64 differences(PgConnection &db, const QByteArray &kept, const QByteArray &recount)
{
    return single(db, "SELECT (SELECT count(*) FROM (" + kept + " EXCEPT " + recount +
                          ") a) + (SELECT count(*) FROM (" + recount + " EXCEPT " + kept + ") b)");
}

} // namespace

class TestServerRecorder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recordsABatchInOneGo();
    void newPairsAreToldOnceAcrossStations();
    void keepsTheBatchWhileTheServerIsAway();
    void holdsWhileAwayUpToItsBound();
    void aServerThatStopsAnsweringCountsAsAway();
    void fourStationsKeepRegistersAndCountsTrue();

private:
    QString newStore();

    std::unique_ptr<test::ThrowawayServer> m_server;
};

void TestServerRecorder::initTestCase()
{
    m_server = std::make_unique<test::ThrowawayServer>();
    if (!m_server->isRunning())
        QSKIP(qPrintable(m_server->whyNot()));
}

QString TestServerRecorder::newStore()
{
    const QString url = m_server->newDatabase();
    PgConnection db;
    db.open(ServerUrl::parse(url));
    PgSchema::ensure(db);
    return url;
}

void TestServerRecorder::recordsABatchInOneGo()
{
    PgConnection db;
    db.open(ServerUrl::parse(newStore()));
    db.exec("INSERT INTO AIRCRAFT (REGISTRATI, TYPE, \"Heard?\") VALUES ('.G-ABCD', 'A320', 0)");
    ServerRecorder recorder(db);
    QStringList published;
    recorder.setPublisher([&](const MessageRecord &r) { published << r.mText; });
    MessageRecord fed = message(".G-ABCD", "BA1", "2026-12-01 10:00:00", "tab\there\\ \"q\"");
    fed.mFeed.decoder = QStringLiteral("dumpvdl2");
    fed.mFeed.frequencyMhz = 136.975;
    QCOMPARE(recorder.storeMessage(fed, nullptr), StoreResult::Stored);
    recorder.storeMessage(message(".g-abcd", "ba1", "2026-12-01 09:00:00"), nullptr);
    recorder.storeMessage(message(".G-ABCD", "BA2", "2026-12-02 11:00:00"), nullptr);
    MessageRecord up = message(".G-ABCD", "", "2026-12-02 11:00:00");
    up.setUplink();
    recorder.setRecordUplinks(false);
    QCOMPARE(recorder.storeMessage(up, nullptr), StoreResult::Skipped);
    // Nothing reaches the server before the commit.
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage"), 0);
    QCOMPARE(recorder.held(), 3);
    recorder.commitBatch();
    QCOMPARE(recorder.held(), 0);
    QCOMPARE(published.size(), 3);

    QCOMPARE(db.query("SELECT mText FROM tMessage ORDER BY rowid").value(0, 0),
             QByteArray("tab\there\\ \"q\""));
    QCOMPARE(db.query("SELECT Decoder, Frequency FROM FeedDetails f JOIN tMessage m "
                      "ON m.rowid = f.MessageId")
                 .value(0, 1),
             QByteArray("136.975"));
    const PgResult pair = db.query("SELECT FirstHeard, LastHeard, TimesHeard FROM ACARSLOG "
                                   "WHERE Registration = '.G-ABCD' AND Flight = 'BA1'");
    QCOMPARE(pair.rows(), 1);
    QCOMPARE(pair.value(0, 0), QByteArray("2026-12-01 09:00:00"));
    QCOMPARE(pair.value(0, 1), QByteArray("2026-12-01 10:00:00"));
    QCOMPARE(pair.int64(0, 2), 2);
    QCOMPARE(single(db, "SELECT TimesHeard FROM UniqueAircraft"), 3);
    QCOMPARE(single(db, "SELECT \"Heard?\" FROM AIRCRAFT"), 1);
    QCOMPARE(single(db, "SELECT Messages FROM MessagesByRegistration WHERE Day = '2026-12-01'"), 2);
    QCOMPARE(single(db, "SELECT sum(Messages) FROM MessagesByHour"), 3);
}

void TestServerRecorder::newPairsAreToldOnceAcrossStations()
{
    const QString url = newStore();
    PgConnection a, b;
    a.open(ServerUrl::parse(url));
    b.open(ServerUrl::parse(url));
    ServerRecorder first(a), second(b);
    PairList heardByFirst, heardBySecond;
    first.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:00:00"), &heardByFirst);
    first.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:01:00"), &heardByFirst);
    QVERIFY(heardByFirst.pairs.isEmpty()); // not before the batch is stored
    first.commitBatch();
    second.storeMessage(message(".g-abcd", "BA1", "2026-12-01 10:02:00"), &heardBySecond);
    second.storeMessage(message(".G-ABCD", "BA9", "2026-12-01 10:02:00"), &heardBySecond);
    second.commitBatch();
    QCOMPARE(heardByFirst.pairs, QStringList{".G-ABCD/BA1"});
    QCOMPARE(heardBySecond.pairs, QStringList{".G-ABCD/BA9"});
    QCOMPARE(single(a, "SELECT TimesHeard FROM ACARSLOG WHERE Flight = 'BA1'"), 3);
}

void TestServerRecorder::keepsTheBatchWhileTheServerIsAway()
{
    const QString url = newStore();
    PgConnection db, admin;
    db.open(ServerUrl::parse(url));
    admin.open(ServerUrl::parse(url));
    ServerRecorder recorder(db);
    recorder.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:00:00"), nullptr);
    recorder.commitBatch();
    recorder.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 11:00:00"), nullptr);
    recorder.storeMessage(message(".G-ABCE", "BA2", "2026-12-01 12:00:00"), nullptr);
    // The server drops the station's connection, as a restart or a lost network would.
    admin.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
               "WHERE pid <> pg_backend_pid() AND datname = current_database()");
    QTest::qWait(100);
    try {
        recorder.commitBatch();
        QFAIL("stored through a dropped connection");
    } catch (const StoreError &) {
    }
    QCOMPARE(recorder.held(), 2);
    // Back: the held batch is stored, once.
    recorder.commitBatch();
    QCOMPARE(recorder.held(), 0);
    QCOMPARE(single(admin, "SELECT count(*) FROM tMessage"), 3);
    QCOMPARE(single(admin, "SELECT TimesHeard FROM ACARSLOG WHERE Flight = 'BA1'"), 2);
}

void TestServerRecorder::holdsWhileAwayUpToItsBound()
{
    const QString url = newStore();
    PgConnection db, admin;
    db.open(ServerUrl::parse(url));
    admin.open(ServerUrl::parse(url));
    ServerRecorder recorder(db);
    // Room for a handful of messages; the server is tried at every commit.
    recorder.setHoldWhileAway(true, 4096, 0);
    recorder.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:00:00"), nullptr);
    admin.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
               "WHERE pid <> pg_backend_pid() AND datname = current_database()");
    QTest::qWait(100);
    recorder.commitBatch(); // kept, without a throw
    QCOMPARE(recorder.held(), 1);
    QVERIFY(!recorder.awayReason().isEmpty());
    qint64 refused = 0;
    for (int i = 0; i < 40; ++i)
        if (recorder.storeMessage(message(".G-ABCE", "BA2", "2026-12-01 11:00:00"), nullptr) ==
            StoreResult::Refused)
            ++refused;
    QVERIFY(refused > 0 && refused < 40);
    QCOMPARE(recorder.takeRefused(), refused);
    QCOMPARE(recorder.takeRefused(), 0);
    QVERIFY(recorder.heldBytes() >= 4096);
    const qint64 held = recorder.held();
    QCOMPARE(held, 41 - refused);
    // Back: everything held is stored once, and the hold is empty again.
    recorder.commitBatch();
    QCOMPARE(recorder.held(), 0);
    QCOMPARE(recorder.heldBytes(), 0);
    QVERIFY(recorder.awayReason().isEmpty());
    QCOMPARE(single(admin, "SELECT count(*) FROM tMessage"), held);
    QCOMPARE(single(admin, "SELECT TimesHeard FROM UniqueAircraft WHERE Registration = '.G-ABCE'"),
             held - 1);

    // A pass that reads a new pair while the batch waits for its retry ends
    // before the server takes it: its sink is not told later, when it may
    // be gone; the next pass that reports pairs is.
    recorder.setHoldWhileAway(true, 4096, 60000);
    recorder.storeMessage(message(".G-ABCF", "BA3", "2026-12-01 12:00:00"), nullptr);
    admin.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
               "WHERE pid <> pg_backend_pid() AND datname = current_database()");
    QTest::qWait(100);
    recorder.commitBatch(); // kept; the next try is a minute away
    NewPairsList pass;
    recorder.storeMessage(message(".G-ABCG", "BA4", "2026-12-01 12:01:00"), &pass);
    recorder.commitBatch(); // not due: the batch waits, and the pass ends
    admin.close();
    admin.open(ServerUrl::parse(url));
    NewPairsList next;
    recorder.storeMessage(message(".G-ABCH", "BA5", "2026-12-01 12:02:00"), &next);
    recorder.commitNow();
    QCOMPARE(recorder.held(), 0);
    QCOMPARE(single(admin, "SELECT count(*) FROM ACARSLOG WHERE Flight = 'BA4'"), 1);
    QCOMPARE(pass.registrations(), QStringList());
    // Newest first.
    QCOMPARE(next.registrations(),
             (QStringList{QStringLiteral(".G-ABCH"), QStringLiteral(".G-ABCG")}));
}

// A paused server keeps its connections open and answers nothing, which
// no keep-alive notices: the answer timeout does, and the batch is held as
// for an outage, then stored once. A wait without a bound ends when it is
// abandoned (a stop).
void TestServerRecorder::aServerThatStopsAnsweringCountsAsAway()
{
    const QString url = newStore();
    PgConnection db, admin, idle;
    db.open(ServerUrl::parse(url));
    admin.open(ServerUrl::parse(url));
    idle.open(ServerUrl::parse(url));
    ServerRecorder recorder(db);
    recorder.setHoldWhileAway(true, ServerRecorder::kHoldLimitBytes, 0);
    recorder.setAnswerTimeout(1000);
    recorder.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:00:00"), nullptr);
    QVERIFY(m_server->pause());
    recorder.commitBatch(); // given up after a second: held, without a throw
    QCOMPARE(recorder.held(), 1);
    QVERIFY2(recorder.awayReason().contains(QLatin1String("did not answer within 1 s")),
             qPrintable(recorder.awayReason()));
    idle.abandonAfter(200);
    QVERIFY_THROWS_EXCEPTION(StoreError, idle.query("SELECT 1"));
    QVERIFY(!idle.isConnected());
    QVERIFY(m_server->resume());
    recorder.storeMessage(message(".G-ABCD", "BA1", "2026-12-01 10:01:00"), nullptr);
    recorder.commitNow();
    QCOMPARE(recorder.held(), 0);
    QCOMPARE(single(admin, "SELECT count(*) FROM tMessage"), 2);
    QCOMPARE(single(admin, "SELECT TimesHeard FROM ACARSLOG"), 2);
}

void TestServerRecorder::fourStationsKeepRegistersAndCountsTrue()
{
    const QString url = newStore();
    std::vector<std::unique_ptr<QProcess>> stations;
    for (int seed = 1; seed <= 4; ++seed) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(SERVER_STATION),
                 {url, QStringLiteral("50000"), QString::number(seed), QStringLiteral("2000")});
        QVERIFY(p->waitForStarted());
        stations.push_back(std::move(p));
    }
    for (auto &p : stations) {
        QVERIFY(p->waitForFinished(300000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
    }
    PgConnection db;
    db.open(ServerUrl::parse(url));
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage"), 200000);
    QCOMPARE(single(db, "SELECT count(DISTINCT rowid) FROM tMessage"), 200000);
    QCOMPARE(differences(db,
                         "SELECT upper(Registration), upper(Flight), FirstHeard, LastHeard, "
                         "TimesHeard FROM ACARSLOG",
                         "SELECT upper(mReg), upper(mFlight), min(mTime), max(mTime), count(*) "
                         "FROM tMessage GROUP BY mReg, mFlight"),
             0);
    QCOMPARE(differences(db,
                         "SELECT upper(Registration), FirstHeard, LastHeard, TimesHeard "
                         "FROM UniqueAircraft",
                         "SELECT upper(mReg), min(mTime), max(mTime), count(*) FROM tMessage "
                         "GROUP BY mReg"),
             0);
    QCOMPARE(differences(db, "SELECT Hour, Messages FROM MessagesByHour",
                         "SELECT left(mTime, 13), count(*) FROM tMessage GROUP BY 1"),
             0);
    QCOMPARE(differences(db, "SELECT Day, Label, Messages FROM MessagesByLabel",
                         "SELECT left(mTime, 10), mLabel, count(*) FROM tMessage GROUP BY 1, 2"),
             0);
    QCOMPARE(differences(db,
                         "SELECT Day, upper(Registration), Messages FROM MessagesByRegistration",
                         "SELECT left(mTime, 10), upper(mReg), count(*) FROM tMessage "
                         "GROUP BY 1, mReg"),
             0);
    QCOMPARE(single(db, "SELECT count(*) FROM ACARSLOG"), 300 * 40);
    // The check itself sees a register that is off by one.
    db.exec("UPDATE UniqueAircraft SET TimesHeard = TimesHeard + 1 "
            "WHERE rowid = (SELECT min(rowid) FROM UniqueAircraft)");
    QCOMPARE(differences(db, "SELECT upper(Registration), TimesHeard FROM UniqueAircraft",
                         "SELECT upper(mReg), count(*) FROM tMessage GROUP BY mReg"),
             2);
}

QTEST_GUILESS_MAIN(TestServerRecorder)
#include "TestServerRecorder.moc"
