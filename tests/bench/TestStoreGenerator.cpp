#include "StoreGenerator.h"
#include "store/MessageChecks.h"
#include "store/MessageRecorder.h"
#include "store/MessageTime.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;

namespace
{

const QDateTime kEnd(QDate(2025, 3, 30), QTime(14, 20, 5));

bench::StoreGenerator::Options smallStore(std::uint64_t seed)
{
    bench::StoreGenerator::Options o;
    o.messages = 6000;
    o.today = 40;
    o.seed = seed;
    o.end = kEnd;
    o.sizes = {300, 1500};
    return o;
}

QStringList everything(Store &store)
{
    QStringList all = test::rows(store, "SELECT * FROM tMessage ORDER BY rowid");
    all += test::rows(store, "SELECT * FROM ACARSLOG ORDER BY Registration, Flight");
    all += test::rows(store, "SELECT * FROM UniqueAircraft ORDER BY Registration");
    all += test::rows(store, "SELECT * FROM AIRCRAFT ORDER BY REGISTRATI");
    return all;
}

} // namespace

class TestStoreGenerator : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

    QString generate(std::uint64_t seed)
    {
        const QString dir = env.newDataDir();
        bench::StoreGenerator(smallStore(seed)).generate(dir);
        return dir;
    }

private slots:
    // The registers must be exactly what recording the messages one by one
    // leaves: benchmarks of the heard grids and register fixes rely on it.
    void registersMatchTheMessages()
    {
        Store store;
        store.open(generate(3));
        const char *pairsNotMatched =
            "SELECT COUNT(*) FROM (SELECT Registration, Flight, FirstHeard, LastHeard, TimesHeard "
            "FROM ACARSLOG EXCEPT SELECT mReg, mFlight, MIN(mTime), MAX(mTime), COUNT(*) "
            "FROM tMessage GROUP BY mReg, mFlight)";
        const char *pairsMissing = "SELECT COUNT(*) FROM (SELECT mReg, mFlight FROM tMessage "
                                   "EXCEPT SELECT Registration, Flight FROM ACARSLOG)";
        const char *aircraftNotMatched =
            "SELECT COUNT(*) FROM (SELECT Registration, FirstHeard, LastHeard, TimesHeard "
            "FROM UniqueAircraft EXCEPT SELECT mReg, MIN(mTime), MAX(mTime), COUNT(*) "
            "FROM tMessage GROUP BY mReg)";
        QCOMPARE(test::rows(store, pairsNotMatched), QStringList{"0"});
        QCOMPARE(test::rows(store, pairsMissing), QStringList{"0"});
        QCOMPARE(test::rows(store, aircraftNotMatched), QStringList{"0"});
        QCOMPARE(test::rows(store, "SELECT COUNT(*) FROM (SELECT DISTINCT mReg FROM tMessage)"),
                 test::rows(store, "SELECT COUNT(*) FROM UniqueAircraft"));
        QCOMPARE(test::rows(store, "SELECT COUNT(*) FROM AIRCRAFT WHERE \"Heard?\" <> "
                                   "EXISTS (SELECT 1 FROM tMessage WHERE mReg = REGISTRATI)"),
                 QStringList{"0"});
        // The message indexes dropped for the fill are all back.
        QCOMPARE(test::rows(store, "SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                   "tbl_name = 'tMessage' ORDER BY name"),
                 QStringList({"idxMessageFlight", "idxMessageReg", "idxMessageTime"}));
    }

    // Every message must be one the recorder would have stored as it is,
    // or benchmarks measure rows the program never writes.
    void messagesAreWhatTheRecorderStores()
    {
        Store store;
        store.open(generate(4));
        SqliteStatement q(store.acarsLog(),
                          "SELECT mTime, mMode, mReg, mLabel, mBlk, mNo, "
                          "mFlight, mText, mFileName FROM tMessage ORDER BY rowid");
        const QString first = MessageTime::fromDateTime(kEnd.addDays(-365)).toStorage();
        const QString last = MessageTime::fromDateTime(kEnd).toStorage();
        QString previous;
        int count = 0, uplinks = 0, today = 0, emptyTexts = 0;
        while (q.step()) {
            const QString time = q.text(0);
            const std::optional<MessageTime> parsed = MessageTime::parse(time);
            QVERIFY2(parsed && parsed->toStorage() == time, qPrintable(time));
            QVERIFY2(time >= first && time <= last && time >= previous, qPrintable(time));
            QCOMPARE(q.text(1), QStringLiteral("2"));
            QVERIFY(MessageChecks::allValidChars(q.text(2)) && !q.text(2).isEmpty());
            QVERIFY(MessageChecks::isValidChar(q.text(4)) && q.text(4).size() == 1);
            QVERIFY(MessageChecks::allValidChars(q.text(6)) && q.text(6).size() <= 6);
            const bool uplink = q.text(6) == u"Uplink";
            QCOMPARE(q.text(3).isEmpty(), uplink);
            QCOMPARE(q.text(5).isEmpty(), uplink);
            QVERIFY(!q.text(8).isEmpty());
            if (time.startsWith(u"2025-03-30")) {
                if (today++ == 0)
                    QCOMPARE(time, QStringLiteral("2025-03-30 00:00:00"));
            }
            uplinks += uplink;
            emptyTexts += q.text(7).isEmpty();
            previous = time;
            ++count;
        }
        QCOMPARE(count, 6000);
        QCOMPARE(today, 40);
        QVERIFY2(uplinks > 450 && uplinks < 750, qPrintable(QString::number(uplinks)));
        QVERIFY(emptyTexts > 600);
    }

    void theSameSeedGivesTheSameStore()
    {
        Store a, b, c;
        a.open(generate(5));
        b.open(generate(5));
        c.open(generate(6));
        const QStringList rows = everything(a);
        QVERIFY(rows.size() > 6000);
        QCOMPARE(everything(b), rows);
        QVERIFY(everything(c) != rows);
    }

    void refusesAFolderThatHoldsData()
    {
        const QString dir = generate(7);
        QVERIFY_THROWS_EXCEPTION(StoreError, bench::StoreGenerator(smallStore(7)).generate(dir));
        Store store;
        store.open(dir);
        QCOMPARE(test::rows(store, "SELECT COUNT(*) FROM tMessage"), QStringList{"6000"});
    }
};

QTEST_GUILESS_MAIN(TestStoreGenerator)
#include "TestStoreGenerator.moc"
