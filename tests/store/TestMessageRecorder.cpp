#include "store/DayRange.h"
#include "store/MessageRecorder.h"
#include "store/NewPairsSink.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "store/StoreFigures.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;
using corvane::test::rows;

namespace
{

struct CollectingSink : NewPairsSink {
    QStringList pairs;
    void newPair(const QString &reg, const QString &flight) override
    {
        pairs << reg + u'/' + flight;
    }
};

// A record as a reader hands it over, its time read from the text.

} // namespace

class TestMessageRecorder : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;
    std::unique_ptr<MessageRecorder> recorder;

private slots:
    void init()
    {
        env.resetSettings();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recorder = std::make_unique<MessageRecorder>(*store);
    }
    void cleanup()
    {
        recorder.reset();
        store.reset();
    }

    void storesWhatTheReaderHandsOver()
    {
        // The fields were tested by the reader as its format says: no second check here.
        QCOMPARE(recorder->storeMessage(message("N12_3", "BA01", "01/02/2004 12:34", ""), nullptr),
                 StoreResult::Stored);
        // A record whose time was never read stores nothing.
        QCOMPARE(recorder->storeMessage(message("N1", "BA01", "not a time"), nullptr),
                 StoreResult::Rejected);
        recorder->commitBatch();
        QCOMPARE(rows(*store, "SELECT mReg, mBlk, mTime FROM tMessage"),
                 QStringList{"N12_3||2004-02-01 12:34:00"});
        QCOMPARE(rows(*store, "SELECT Registration FROM UniqueAircraft"), QStringList{"N12_3"});
    }

    void uplinksFollowTheSetting()
    {
        MessageRecord up = message("N1", "", "01/02/2004 12:34");
        up.setUplink();
        up.mLabel.clear();
        up.mNo.clear();
        recorder->setRecordUplinks(false);
        QVERIFY(recorder->skips(up));
        QCOMPARE(recorder->storeMessage(up, nullptr), StoreResult::Skipped);
        // The direction decides, not the flight text.
        MessageRecord down = message("N2", "Uplink", "01/02/2004 12:34");
        QVERIFY(!recorder->skips(down));
        QCOMPARE(recorder->storeMessage(down, nullptr), StoreResult::Stored);
        recorder->setRecordUplinks(true);
        CollectingSink sink;
        QCOMPARE(recorder->storeMessage(up, &sink), StoreResult::Stored);
        recorder->commitBatch();
        QCOMPARE(sink.pairs, QStringList{"N1/Uplink"});
        QCOMPARE(rows(*store, "SELECT mReg, mFlight, mLabel, mNo FROM tMessage ORDER BY rowid"),
                 (QStringList{"N2|Uplink|H1|M01A", "N1|Uplink||"}));
    }

    void registersTrackFirstLastAndCount()
    {
        CollectingSink sink;
        recorder->storeMessage(message("N1", "BA01", "02/02/2004 10:00"), &sink);
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 09:00"), &sink);
        recorder->storeMessage(message("N1", "XY02", "03/02/2004 11:00"), &sink);
        recorder->commitBatch();
        QCOMPARE(sink.pairs, (QStringList{"N1/BA01", "N1/XY02"}));
        QCOMPARE(rows(*store, "SELECT Registration, Flight, FirstHeard, LastHeard, TimesHeard FROM "
                              "ACARSLOG ORDER BY Flight"),
                 (QStringList{"N1|BA01|2004-02-01 09:00:00|2004-02-02 10:00:00|2",
                              "N1|XY02|2004-02-03 11:00:00|2004-02-03 11:00:00|1"}));
        QCOMPARE(rows(*store,
                      "SELECT Registration, FirstHeard, LastHeard, TimesHeard FROM UniqueAircraft"),
                 QStringList{"N1|2004-02-01 09:00:00|2004-02-03 11:00:00|3"});
    }

    void registersSpanBatchesAndOtherWriters()
    {
        CollectingSink sink;
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), &sink);
        recorder->commitBatch();
        // Another connection edits the register between two batches.
        store->acarsLog().exec("UPDATE ACARSLOG SET TimesHeard = 10");
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 11:00"), &sink);
        recorder->commitBatch();
        QCOMPARE(sink.pairs, QStringList{"N1/BA01"});
        QCOMPARE(rows(*store, "SELECT TimesHeard, LastHeard FROM ACARSLOG"),
                 QStringList{"11|2004-02-01 11:00:00"});
        // A deleted pair is heard anew.
        store->acarsLog().exec("DELETE FROM ACARSLOG");
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 12:00"), &sink);
        recorder->commitBatch();
        QCOMPARE(sink.pairs.size(), 2);
        QCOMPARE(rows(*store, "SELECT TimesHeard FROM ACARSLOG"), QStringList{"1"});
    }

    void registersMatchARecountOverManyBatches()
    {
        // Many pairs, heard out of time order, over batches that end at
        // odd places: every row must carry its own pair's figures.
        recorder->setBatchLimits(37, 1000000);
        struct Figures {
            QString first, last;
            int times = 0;
        };
        QMap<QString, Figures> pairs, aircraft;
        auto note = [](Figures &f, const QString &t) {
            f.first = f.first.isEmpty() || t < f.first ? t : f.first;
            f.last = t > f.last ? t : f.last;
            ++f.times;
        };
        for (int i = 0; i < 600; ++i) {
            const int p = (i * 7919) % 53;
            const QString reg = (p % 2 ? u'n' : u'N') + QString::number(p % 17);
            const QString flight = QStringLiteral("BA%1").arg(p);
            const int minute = (i * 31) % 600;
            const MessageTime t{2004, 2, 1 + minute / 60, minute % 60 / 6, minute % 60, 0};
            MessageRecord r = message(reg, flight, t.toDisplay());
            r.mTime = t;
            QCOMPARE(recorder->storeMessage(r, nullptr), StoreResult::Stored);
            note(pairs[reg.toUpper() + u'|' + flight], t.toStorage());
            note(aircraft[reg.toUpper()], t.toStorage());
        }
        recorder->commitBatch();
        QStringList expectedPairs, expectedAircraft;
        for (auto it = pairs.cbegin(); it != pairs.cend(); ++it)
            expectedPairs
                << QStringLiteral("%1|%2|%3|%4").arg(it.key(), it->first, it->last).arg(it->times);
        for (auto it = aircraft.cbegin(); it != aircraft.cend(); ++it)
            expectedAircraft
                << QStringLiteral("%1|%2|%3|%4").arg(it.key(), it->first, it->last).arg(it->times);
        QStringList gotPairs = rows(*store, "SELECT upper(Registration), Flight, FirstHeard, "
                                            "LastHeard, TimesHeard FROM ACARSLOG");
        QStringList gotAircraft =
            rows(*store, "SELECT upper(Registration), FirstHeard, LastHeard, TimesHeard FROM "
                         "UniqueAircraft");
        gotPairs.sort();
        gotAircraft.sort();
        expectedPairs.sort();
        expectedAircraft.sort();
        QCOMPARE(gotPairs, expectedPairs);
        QCOMPARE(gotAircraft, expectedAircraft);
    }

    void textsRoundTripWhateverTheirSize()
    {
        // Parameters are written into buffers kept between rows: a short
        // text after a long one, and text beyond ASCII, must come back whole.
        const QStringList texts{QStringLiteral("A LONG FIRST TEXT OF SOME LENGTH"),
                                QStringLiteral("x"),
                                QStringLiteral("caf\u00e9 \u20ac5"),
                                QString(),
                                QStringLiteral("ABC\u00e9"),
                                QStringLiteral("AB")};
        for (const QString &text : texts) {
            MessageRecord r = message("N1", "BA01", "01/02/2004 10:00");
            r.mText = text;
            r.mNo = text.left(4);
            recorder->storeMessage(r, nullptr);
        }
        recorder->commitBatch();
        QStringList expected;
        for (const QString &text : texts)
            expected << text + u'|' + text.left(4);
        QCOMPARE(rows(*store, "SELECT mText, mNo FROM tMessage ORDER BY rowid"), expected);
    }

    void sameMessageTwiceDoubles()
    {
        CollectingSink sink;
        for (int pass = 0; pass < 2; ++pass) {
            recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), &sink);
            recorder->commitBatch();
        }
        QCOMPARE(sink.pairs.size(), 1);
        QCOMPARE(rows(*store, "SELECT count(*) FROM tMessage").first(), QStringLiteral("2"));
        QCOMPARE(rows(*store, "SELECT TimesHeard FROM UniqueAircraft").first(),
                 QStringLiteral("2"));
    }

    void registerKeysIgnoreCase()
    {
        CollectingSink sink;
        recorder->storeMessage(message("n1", "ba01", "01/02/2004 10:00"), &sink);
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 11:00"), &sink);
        recorder->commitBatch();
        QCOMPARE(sink.pairs.size(), 1);
        QCOMPARE(rows(*store, "SELECT count(*) FROM ACARSLOG").first(), QStringLiteral("1"));
    }

    void batchCommitsByItselfAndRollsBackWhole()
    {
        for (int i = 0; i < MessageRecorder::kBatchLimit + 10; ++i)
            recorder->storeMessage(
                message(QStringLiteral("N%1").arg(i % 7), "BA01", "01/02/2004 10:00"), nullptr);
        // The first full batch is committed: another connection sees it.
        Store other;
        other.open(store->folder());
        QCOMPARE(rows(other, "SELECT count(*) FROM tMessage").first().toInt(),
                 MessageRecorder::kBatchLimit);
        recorder->rollbackBatch();
        QCOMPARE(rows(*store, "SELECT count(*) FROM tMessage").first().toInt(),
                 MessageRecorder::kBatchLimit);
        QCOMPARE(rows(*store, "SELECT sum(TimesHeard) FROM UniqueAircraft").first().toInt(),
                 MessageRecorder::kBatchLimit);
    }

    void failedWriteRollsBackAndThrows()
    {
        store->acarsLog().exec(
            "CREATE TRIGGER failing BEFORE INSERT ON tMessage WHEN NEW.mReg = 'BAD' "
            "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
        recorder->commitBatch();
        recorder->storeMessage(message("N2", "BA02", "01/02/2004 10:00"), nullptr);
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            recorder->storeMessage(message("BAD", "BA02", "01/02/2004 10:00"), nullptr));
        QVERIFY(!recorder->batchOpen());
        // What was committed stays; the failed batch left nothing half-written.
        QCOMPARE(rows(*store, "SELECT mReg FROM tMessage"), QStringList{"N1"});
        QCOMPARE(rows(*store, "SELECT Registration FROM ACARSLOG"), QStringList{"N1"});
        QCOMPARE(rows(*store, "SELECT Registration, TimesHeard FROM UniqueAircraft"),
                 QStringList{"N1|1"});
        // The recorder goes on afterwards with what the file holds.
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 11:00"), nullptr);
        recorder->commitBatch();
        QCOMPARE(rows(*store, "SELECT TimesHeard FROM UniqueAircraft"), QStringList{"2"});
    }

    void refreshHeardSetsFlagsOnly()
    {
        store->acarsLog().exec(
            "INSERT INTO AIRCRAFT (REGISTRATI, \"Heard?\") VALUES ('N1', 0), ('N2', 0), ('N3', 1)");
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
        recorder->commitBatch();
        recorder->refreshHeard();
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY REGISTRATI"),
                 (QStringList{"N1|1", "N2|0", "N3|1"}));
    }

    void passesOnOnlyCommittedMessages()
    {
        store->acarsLog().exec(
            "CREATE TRIGGER failing BEFORE INSERT ON tMessage WHEN NEW.mReg = 'BAD' "
            "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        QStringList passed;
        recorder->setPublisher([&passed](const MessageRecord &r) { passed << r.mReg; });
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
        recorder->storeMessage(message("N2", "BA01", "01/02/2004 10:01"), nullptr);
        QVERIFY(passed.isEmpty());
        recorder->commitBatch();
        QCOMPARE(passed, (QStringList{"N1", "N2"}));
        // A batch that rolls back passes nothing on, not even what it held
        // before the failure.
        recorder->storeMessage(message("N3", "BA01", "01/02/2004 10:02"), nullptr);
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            recorder->storeMessage(message("BAD", "BA02", "01/02/2004 10:03"), nullptr));
        recorder->commitBatch();
        QCOMPARE(passed, (QStringList{"N1", "N2"}));
    }

    void batchCommitsAfterItsTimeLimit()
    {
        recorder->setBatchLimits(1000000, 50);
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
        QTest::qSleep(80);
        recorder->storeMessage(message("N2", "BA01", "01/02/2004 10:01"), nullptr);
        QVERIFY(!recorder->batchOpen());
        Store other;
        other.open(store->folder());
        QCOMPARE(rows(other, "SELECT count(*) FROM tMessage").first(), QStringLiteral("2"));
    }

    void bulkScopeGivesBackTheLiveLimits()
    {
        // An import's larger batches must not outlive it: live recording
        // afterwards commits by its own time limit again.
        recorder->setBatchLimits(1000000, 50);
        const qint64 cacheBefore = rows(*store, "PRAGMA cache_size").first().toLongLong();
        {
            MessageRecorder::BulkScope bulk(*recorder);
            QCOMPARE(rows(*store, "PRAGMA cache_size").first().toLongLong(),
                     -MessageRecorder::kBulkCacheKiB);
            recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
            QTest::qSleep(80);
            recorder->storeMessage(message("N2", "BA01", "01/02/2004 10:01"), nullptr);
            QVERIFY(recorder->batchOpen());
        }
        QCOMPARE(rows(*store, "PRAGMA cache_size").first().toLongLong(), cacheBefore);
        recorder->storeMessage(message("N3", "BA01", "01/02/2004 10:02"), nullptr);
        QVERIFY(!recorder->batchOpen());
    }

    void dayTallyMatchesCountingTheFile()
    {
        // Aircraft heard before, on, and after the watched day, then a mix of
        // messages: the counts at the start plus the tally must equal the
        // counts taken from the file afterwards.
        const QDate day(2004, 2, 1);
        const QStringList times = {"31/01/2004 23:59:59", "01/02/2004 00:00:00",
                                   "01/02/2004 12:00:00", "01/02/2004 23:59:59",
                                   "02/02/2004 00:00:00", "15/01/2004 08:00:00"};
        for (int i = 0; i < 12; ++i)
            recorder->storeMessage(
                message(QStringLiteral("N%1").arg(i % 6), "BA01", times[i % times.size()]),
                nullptr);
        recorder->commitBatch();
        StoreFigures figures(*store);
        const DayRange range = DayRange::day(day);
        const qint64 baseMessages = figures.messagesWithin(range);
        const qint64 baseAircraft = figures.aircraftLastHeardWithin(range);
        recorder->watchDay(day);
        for (int i = 0; i < 60; ++i) {
            recorder->storeMessage(message(QStringLiteral("N%1").arg((i * 7) % 9), "BA01",
                                           times[(i * 5) % times.size()]),
                                   nullptr);
            if (i % 13 == 0)
                recorder->commitBatch();
        }
        recorder->commitBatch();
        const MessageRecorder::DayTally tally = recorder->takeDayTally();
        QVERIFY(tally.messages > 0);
        QCOMPARE(baseMessages + tally.messages, figures.messagesWithin(range));
        QCOMPARE(baseAircraft + tally.aircraft, figures.aircraftLastHeardWithin(range));
        QCOMPARE(recorder->takeDayTally().messages, 0);
    }

    void outsideWritesAreNoticedOwnFlagsAreNot()
    {
        recorder->storeMessage(message("N1", "BA01", "01/02/2004 10:00"), nullptr);
        recorder->commitBatch();
        QVERIFY(!recorder->takeOutsideWrite());
        recorder->refreshHeard();
        recorder->refreshHeardOfStored();
        QVERIFY(!recorder->takeOutsideWrite());
        {
            Store other;
            other.open(store->folder());
            MessageRecorder another(other);
            another.storeMessage(message("N2", "BA01", "01/02/2004 10:00"), nullptr);
        }
        QVERIFY(recorder->takeOutsideWrite());
        QVERIFY(!recorder->takeOutsideWrite());
    }

    void heardFlagsOfStoredRegistrationsOnly()
    {
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N1'), ('N2'), ('N3');"
                               "INSERT INTO tMessage (mReg) VALUES ('N2')");
        recorder->storeMessage(message("n1", "BA01", "01/02/2004 10:00"), nullptr);
        recorder->commitBatch();
        recorder->refreshHeardOfStored();
        // N2 has a message but was not stored by the recorder: left for the
        // full refresh.
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY REGISTRATI"),
                 (QStringList{"N1|1", "N2|0", "N3|0"}));
        recorder->refreshHeard();
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY REGISTRATI"),
                 (QStringList{"N1|1", "N2|1", "N3|0"}));
    }

    void heardFlagsOfEverySpellingOverBatches()
    {
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N1'), ('n1'), ('N2'), "
                               "('N3'), ('N4')");
        recorder->setBatchLimits(2, 1000000);
        for (const char *reg : {"N1", "n1", "N2", "n2", "N1", "N4"})
            recorder->storeMessage(message(reg, "BA01", "01/02/2004 10:00"), nullptr);
        recorder->commitBatch();
        recorder->refreshHeardOfStored();
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY rowid"),
                 (QStringList{"N1|1", "n1|1", "N2|1", "N3|0", "N4|1"}));
    }
};

QTEST_GUILESS_MAIN(TestMessageRecorder)
#include "TestMessageRecorder.moc"
