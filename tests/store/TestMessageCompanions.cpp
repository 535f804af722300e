#include "store/FeedDetails.h"
#include "store/MessageCompanions.h"
#include "store/MessageDeletion.h"
#include "store/MessageRecorder.h"
#include "store/MessageView.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;
using corvane::test::rows;

// The decoders' details stay tied to their own message through every
// deletion and through compacting, which numbers the messages afresh.
class TestMessageCompanions : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString folder;
    std::unique_ptr<Store> store;

    // Twelve messages of four pairs, three of each, every one with details
    // naming its own station and minute.
    void recordFeedMessages()
    {
        MessageRecorder recorder(*store);
        for (int i = 0; i < 12; ++i) {
            MessageRecord r =
                message(QStringLiteral("G-AAA%1").arg(i % 4), QStringLiteral("BA%1").arg(i % 4),
                        QStringLiteral("07/12/2026 10:%1").arg(i, 2, 10, QChar('0')));
            r.mFeed = {QStringLiteral("dumpvdl2"), QStringLiteral("ST%1").arg(i), 136.975, -20.0};
            QCOMPARE(recorder.storeMessage(r, nullptr), StoreResult::Stored);
        }
        recorder.commitBatch();
    }
    // Each message beside the station of its details; they must agree.
    QStringList tied()
    {
        return rows(*store, "SELECT m.mTime, f.Station FROM tMessage m "
                            "JOIN FeedDetails f ON f.MessageId = m.rowid ORDER BY m.mTime");
    }
    void everyDetailHasItsMessage()
    {
        QCOMPARE(rows(*store, "SELECT count(*) FROM FeedDetails f WHERE NOT EXISTS "
                              "(SELECT 1 FROM tMessage m WHERE m.rowid = f.MessageId)"),
                 QStringList{"0"});
        for (const QString &row : tied()) {
            const QStringList parts = row.split('|');
            QCOMPARE(QStringLiteral("ST%1").arg(parts[0].mid(14, 2).toInt()), parts[1]);
        }
    }
    qint64 rowidAt(const char *minute)
    {
        SqliteStatement st(store->acarsLog(), "SELECT rowid FROM tMessage WHERE mTime LIKE ?");
        st.bind(1, QStringLiteral("%10:%1:00").arg(QLatin1String(minute)));
        return st.step() ? st.int64(0) : 0;
    }

    // Without indexes on it the engine numbers the table afresh when it
    // compacts; with them it may keep the numbers. Both must work.
    void dropMessageIndexes()
    {
        for (const char *index : {"idxMessageTime", "idxMessageReg", "idxMessageFlight"})
            store->acarsLog().exec(QByteArray("DROP INDEX ") + index);
    }

private slots:
    void init()
    {
        env.resetSettings();
        folder = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(folder);
        recordFeedMessages();
        QCOMPARE(tied().size(), 12);
    }

    void deletionsTakeTheirDetails()
    {
        MessageDeletion deletion(*store);
        QVERIFY(deletion.deleteMessage(rowidAt("05")));
        QVERIFY(deletion.deletePair(QStringLiteral("G-AAA2"), QStringLiteral("BA2")));
        QCOMPARE(tied().size(), 8);
        everyDetailHasItsMessage();
        StoreCleanup(*store).removeDuplicates(MessageView::all());
        QCOMPARE(tied().size(), 3);
        everyDetailHasItsMessage();
        StoreCleanup(*store).deleteAllMessages();
        QCOMPARE(rows(*store, "SELECT count(*) FROM FeedDetails"), QStringList{"0"});
    }

    void compactingKeepsDetailsOnTheirMessages()
    {
        MessageDeletion deletion(*store);
        for (const char *minute : {"00", "03"})
            QVERIFY(deletion.deleteMessage(rowidAt(minute)));
        StoreCleanup(*store).compact();
        QCOMPARE(tied().size(), 10);
        everyDetailHasItsMessage();

        QVERIFY(deletion.deleteMessage(rowidAt("07")));
        dropMessageIndexes();
        const qint64 lastBefore = rowidAt("11");
        StoreCleanup(*store).compact();
        QVERIFY(rowidAt("11") < lastBefore); // the messages were numbered afresh
        QCOMPARE(tied().size(), 9);
        everyDetailHasItsMessage();
        QCOMPARE(FeedDetails::forMessage(*store, rowidAt("11"))->station, QStringLiteral("ST11"));
    }

    void aRenumberingCutShortIsFinishedOnOpening()
    {
        QVERIFY(MessageDeletion(*store).deleteMessage(rowidAt("01")));
        dropMessageIndexes();
        MessageCompanions(store->acarsLog()).prepareRenumbering();
        store->acarsLog().exec("VACUUM");
        store.reset(); // as if the program died here
        store = std::make_unique<Store>();
        store->open(folder);
        QVERIFY(!store->acarsLog().tableExists(QStringLiteral("CompanionRenumbering")));
        QCOMPARE(tied().size(), 11);
        everyDetailHasItsMessage();
    }

    void aRenumberingNeverDoneMovesNothing()
    {
        QVERIFY(MessageDeletion(*store).deleteMessage(rowidAt("01")));
        MessageCompanions(store->acarsLog()).prepareRenumbering();
        store.reset(); // died before compacting
        store = std::make_unique<Store>();
        store->open(folder);
        QCOMPARE(tied().size(), 11);
        everyDetailHasItsMessage();
    }
};

QTEST_GUILESS_MAIN(TestMessageCompanions)
#include "TestMessageCompanions.moc"
