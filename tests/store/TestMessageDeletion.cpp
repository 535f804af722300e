#include "store/MessageDeletion.h"
#include "store/MessageRecorder.h"
#include "store/NewPairsSink.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
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

} // namespace

// Deleting messages and pairs, checked against the registers as they would
// be recounted from the messages left.
class TestMessageDeletion : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;
    std::unique_ptr<MessageRecorder> recorder;

    void record(const QString &reg, const QString &flight, const QString &time)
    {
        QCOMPARE(recorder->storeMessage(message(reg, flight, time), nullptr), StoreResult::Stored);
    }
    qint64 rowidOf(const QString &reg, const QString &flight, const QString &storedTime)
    {
        SqliteStatement st(store->acarsLog(), "SELECT rowid FROM tMessage "
                                              "WHERE mReg = ? AND mFlight = ? AND mTime = ?");
        st.bind(1, reg);
        st.bind(2, flight);
        st.bind(3, storedTime);
        return st.step() ? st.int64(0) : 0;
    }
    QStringList pairs()
    {
        return rows(*store, "SELECT Registration, Flight, FirstHeard, LastHeard, TimesHeard "
                            "FROM ACARSLOG ORDER BY 1, 2");
    }
    QStringList aircraft()
    {
        return rows(*store, "SELECT Registration, FirstHeard, LastHeard, TimesHeard "
                            "FROM UniqueAircraft ORDER BY 1");
    }
    void registersAgreeWithMessages()
    {
        QCOMPARE(pairs(), rows(*store, "SELECT mReg, mFlight, MIN(mTime), MAX(mTime), COUNT(*) "
                                       "FROM tMessage WHERE mReg <> 'G-CCCC' GROUP BY 1, 2 "
                                       "ORDER BY 1, 2"));
        QCOMPARE(aircraft(), rows(*store, "SELECT mReg, MIN(mTime), MAX(mTime), COUNT(*) "
                                          "FROM tMessage WHERE mReg <> 'G-CCCC' GROUP BY 1 "
                                          "ORDER BY 1"));
    }

private slots:
    void init()
    {
        env.resetSettings();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recorder = std::make_unique<MessageRecorder>(*store);
        record("G-AAAA", "BA1", "07/12/2026 10:00");
        record("G-AAAA", "BA1", "07/12/2026 11:00");
        record("G-AAAA", "BA1", "07/12/2026 12:00");
        record("G-AAAA", "BA2", "07/12/2026 09:00");
        record("G-AAAA", "BA2", "07/12/2026 13:00");
        record("G-AAAA", "BA4", "07/12/2026 14:00");
        record("G-BBBB", "BA3", "07/12/2026 10:30");
        recorder->commitBatch();
        // A message the registers never counted.
        store->acarsLog().exec("INSERT INTO tMessage (mTime, mReg, mFlight, mLabel) "
                               "VALUES ('2026-12-07 08:00:00', 'G-CCCC', 'XX1', 'H1')");
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI, TYPE, \"Heard?\") "
                               "VALUES ('G-BBBB', 'A320', 1), ('G-AAAA', 'B744', 1)");
    }
    void cleanup()
    {
        recorder.reset();
        store.reset();
    }

    void deletingOneMessageKeepsTheRegistersTrue_data()
    {
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("flight");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("pair");     // the pair row after, or empty when gone
        QTest::addColumn<QString>("aircraft"); // the aircraft row after, or empty when gone
        QTest::newRow("middle of the pair")
            << "G-AAAA"
            << "BA1"
            << "2026-12-07 11:00:00"
            << "G-AAAA|BA1|2026-12-07 10:00:00|2026-12-07 12:00:00|2"
            << "G-AAAA|2026-12-07 09:00:00|2026-12-07 14:00:00|5";
        QTest::newRow("first of the pair and the aircraft")
            << "G-AAAA"
            << "BA2"
            << "2026-12-07 09:00:00"
            << "G-AAAA|BA2|2026-12-07 13:00:00|2026-12-07 13:00:00|1"
            << "G-AAAA|2026-12-07 10:00:00|2026-12-07 14:00:00|5";
        QTest::newRow("last of the pair") << "G-AAAA"
                                          << "BA1"
                                          << "2026-12-07 12:00:00"
                                          << "G-AAAA|BA1|2026-12-07 10:00:00|2026-12-07 11:00:00|2"
                                          << "G-AAAA|2026-12-07 09:00:00|2026-12-07 14:00:00|5";
        QTest::newRow("only message of a pair whose aircraft flies on")
            << "G-AAAA"
            << "BA4"
            << "2026-12-07 14:00:00"
            << ""
            << "G-AAAA|2026-12-07 09:00:00|2026-12-07 13:00:00|5";
        QTest::newRow("only message of the aircraft") << "G-BBBB"
                                                      << "BA3"
                                                      << "2026-12-07 10:30:00"
                                                      << ""
                                                      << "";
    }
    void deletingOneMessageKeepsTheRegistersTrue()
    {
        QFETCH(QString, reg);
        QFETCH(QString, flight);
        QFETCH(QString, time);
        QFETCH(QString, pair);
        QFETCH(QString, aircraft);
        const qint64 rowid = rowidOf(reg, flight, time);
        QVERIFY(rowid > 0);
        QVERIFY(MessageDeletion(*store).deleteMessage(rowid));

        QCOMPARE(rowidOf(reg, flight, time), 0);
        const QStringList pairRows = pairs().filter(reg + u'|' + flight + u'|');
        QCOMPARE(pairRows, pair.isEmpty() ? QStringList() : QStringList{pair});
        const QStringList aircraftRows = this->aircraft().filter(reg + u'|');
        QCOMPARE(aircraftRows, aircraft.isEmpty() ? QStringList() : QStringList{aircraft});
        registersAgreeWithMessages();
        // The heard flag goes with the aircraft's last message.
        QCOMPARE(rows(*store, "SELECT \"Heard?\" FROM AIRCRAFT WHERE REGISTRATI = 'G-BBBB'"),
                 QStringList{reg == "G-BBBB" ? "0" : "1"});
    }

    void aMessageWithoutAPairIsDeletedAndTheRegistersStay()
    {
        const QStringList pairsBefore = pairs(), aircraftBefore = aircraft();
        const qint64 rowid = rowidOf("G-CCCC", "XX1", "2026-12-07 08:00:00");
        QVERIFY(MessageDeletion(*store).deleteMessage(rowid));
        QCOMPARE(rowidOf("G-CCCC", "XX1", "2026-12-07 08:00:00"), 0);
        QCOMPARE(pairs(), pairsBefore);
        QCOMPARE(aircraft(), aircraftBefore);
        // Gone already: nothing to do.
        QVERIFY(!MessageDeletion(*store).deleteMessage(rowid));
    }

    void deletingAPairTakesItsMessagesAndRecountsTheAircraft_data()
    {
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("flight");
        QTest::addColumn<QString>("aircraft");
        // Keys compare without regard to case, as everywhere in the registers.
        QTest::newRow("aircraft with other flights")
            << "g-aaaa"
            << "ba1"
            << "G-AAAA|2026-12-07 09:00:00|2026-12-07 14:00:00|3";
        QTest::newRow("the aircraft's last pair") << "G-BBBB"
                                                  << "BA3"
                                                  << "";
    }
    void deletingAPairTakesItsMessagesAndRecountsTheAircraft()
    {
        QFETCH(QString, reg);
        QFETCH(QString, flight);
        QFETCH(QString, aircraft);
        QVERIFY(MessageDeletion(*store).deletePair(reg, flight));
        QCOMPARE(rows(*store, "SELECT COUNT(*) FROM tMessage WHERE mReg = 'G-AAAA' AND mFlight = "
                              "'BA1' OR mReg = 'G-BBBB'")
                     .value(0)
                     .toInt(),
                 reg == "G-BBBB" ? 3 : 1);
        const QStringList left = this->aircraft().filter(reg.toUpper() + u'|');
        QCOMPARE(left, aircraft.isEmpty() ? QStringList() : QStringList{aircraft});
        registersAgreeWithMessages();
        QVERIFY(!MessageDeletion(*store).deletePair(reg, flight));
    }

    void aFailedDeletionChangesNothing()
    {
        const QStringList before = rows(*store, "SELECT rowid FROM tMessage ORDER BY 1");
        const QStringList pairsBefore = pairs(), aircraftBefore = aircraft();
        store->acarsLog().exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON main.UniqueAircraft "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QVERIFY_THROWS_EXCEPTION(StoreError, MessageDeletion(*store).deletePair("G-BBBB", "BA3"));
        QVERIFY_THROWS_EXCEPTION(StoreError, MessageDeletion(*store).deleteMessage(
                                                 rowidOf("G-BBBB", "BA3", "2026-12-07 10:30:00")));
        QCOMPARE(rows(*store, "SELECT rowid FROM tMessage ORDER BY 1"), before);
        QCOMPARE(pairs(), pairsBefore);
        QCOMPARE(aircraft(), aircraftBefore);
    }

    // The recorder remembers registers between batches; a deletion on its
    // connection must not leave it counting from rows that are gone.
    void recordingAfterADeletionStartsThePairAfresh()
    {
        QVERIFY(MessageDeletion(*store).deletePair("G-AAAA", "BA1"));
        CollectingSink sink;
        QCOMPARE(recorder->storeMessage(message("G-AAAA", "BA1", "08/12/2026 10:00"), &sink),
                 StoreResult::Stored);
        recorder->commitBatch();
        QCOMPARE(sink.pairs, QStringList{"G-AAAA/BA1"});
        registersAgreeWithMessages();
    }
};

QTEST_GUILESS_MAIN(TestMessageDeletion)
#include "TestMessageDeletion.moc"
