#include "formats/ImportObserver.h"
#include "formats/LivePassFrame.h"
#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
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

namespace
{

// One complete downlink as acarsdec writes it, half an hour after the last.
QByteArray feedLine(int step, const char *tail, const char *label)
{
    return "{\"timestamp\":" + QByteArray::number(1717243200 + step * 1800) +
           ",\"mode\":\"2\",\"label\":\"" + label + "\",\"block_id\":\"4\",\"tail\":\"" + tail +
           "\",\"flight\":\"BA0123\",\"msgno\":\"M01A\",\"text\":\"POS\",\"end\":true}";
}

} // namespace

// The counts kept for the traffic charts must always equal a count of the
// messages themselves, whatever wrote or deleted them.
class TestMessageCounts : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString folder;
    std::unique_ptr<Store> store;

    // Messages of five registrations (one written in two cases), three
    // labels and several hours of two days; every seventh repeats its pair.
    void record(int count, int batch = 7)
    {
        MessageRecorder recorder(*store);
        recorder.setBatchLimits(batch, 60000);
        for (int i = 0; i < count; ++i) {
            const QString reg =
                i % 5 == 4 ? QStringLiteral("g-abc0") : QStringLiteral("G-ABC%1").arg(i % 4);
            MessageRecord r = message(reg, QStringLiteral("BA%1").arg(i % 3),
                                      QStringLiteral("%1/12/2026 %2:%3")
                                          .arg(6 + i % 2)
                                          .arg(i % 5 + 8, 2, 10, QChar('0'))
                                          .arg(i % 60, 2, 10, QChar('0')));
            r.mLabel = i % 3 == 0   ? QStringLiteral("H1")
                       : i % 3 == 1 ? QStringLiteral("_d")
                                    : QString();
            QCOMPARE(recorder.storeMessage(r, nullptr), StoreResult::Stored);
        }
        recorder.commitBatch();
    }

    void countsEqualARecount()
    {
        QCOMPARE(rows(*store, "SELECT Hour, Messages FROM MessagesByHour ORDER BY 1"),
                 rows(*store, "SELECT substr(mTime, 1, 13), count(*) FROM tMessage "
                              "GROUP BY 1 ORDER BY 1"));
        QCOMPARE(rows(*store, "SELECT Day, Label, Messages FROM MessagesByLabel ORDER BY 1, 2"),
                 rows(*store, "SELECT substr(mTime, 1, 10), coalesce(mLabel, ''), count(*) "
                              "FROM tMessage GROUP BY 1, 2 ORDER BY 1, 2"));
        QCOMPARE(rows(*store, "SELECT Day, upper(Registration), Messages "
                              "FROM MessagesByRegistration ORDER BY 1, 2"),
                 rows(*store, "SELECT substr(mTime, 1, 10), upper(mReg), count(*) "
                              "FROM tMessage GROUP BY 1, 2 ORDER BY 1, 2"));
    }
    qint64 keptTotal()
    {
        return rows(*store, "SELECT coalesce(sum(Messages), 0) FROM MessagesByHour")
            .value(0)
            .toLongLong();
    }
    qint64 firstRowid()
    {
        return rows(*store, "SELECT min(rowid) FROM tMessage").value(0).toLongLong();
    }

private slots:
    void init()
    {
        env.resetSettings();
        folder = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(folder);
    }
    void cleanup() { store.reset(); }

    void recordingKeepsTheCounts()
    {
        record(100);
        QCOMPARE(keptTotal(), 100);
        countsEqualARecount();
        record(33, 1000);
        QCOMPARE(keptTotal(), 133);
        countsEqualARecount();
    }

    // A decoder's log imported, then the same decoder's feed read live.
    void importsAndLivePassesKeepTheCounts()
    {
        QByteArray log;
        for (int i = 0; i < 20; ++i)
            log += feedLine(i, i % 2 ? ".G-EUUA" : ".G-EUUB", i % 3 ? "H1" : "SA") + '\n';
        const QString path = env.writeFile("feed/acarsdec.json", log);
        {
            MessageRecorder recorder(*store);
            LogImporter importer(*store, recorder);
            importer.importFiles(*LogFormats::find("acarsdec"), {path}, nullptr);
        }
        QCOMPARE(keptTotal(), 20);
        countsEqualARecount();

        MessageRecorder recorder(*store);
        LivePassFrame frame(*store, recorder);
        ImportObserver observer;
        for (int pass = 0; pass < 3; ++pass) {
            for (int i = 0; i < 4; ++i)
                frame.readFeed(*LiveTypes::find("acarsdec"),
                               feedLine(40 + pass * 4 + i, ".D-AIBA", "_d"), nullptr, observer);
            recorder.commitBatch();
        }
        QCOMPARE(keptTotal(), 32);
        countsEqualARecount();
    }

    void aRolledBackBatchCountsNothing()
    {
        record(10);
        {
            MessageRecorder recorder(*store);
            recorder.storeMessage(message("G-NEW", "XX1", "06/12/2026 09:00"), nullptr);
            recorder.rollbackBatch();
            recorder.storeMessage(message("G-NEW", "XX1", "06/12/2026 09:30"), nullptr);
            recorder.commitBatch();
        }
        QCOMPARE(keptTotal(), 11);
        countsEqualARecount();
    }

    void everyDeletionKeepsTheCounts()
    {
        record(120);
        MessageDeletion deletion(*store);
        QVERIFY(deletion.deleteMessage(firstRowid()));
        countsEqualARecount();
        QVERIFY(deletion.deletePair(QStringLiteral("G-ABC1"), QStringLiteral("BA1")));
        countsEqualARecount();
        // The lower-case registration's messages are the same aircraft's.
        QVERIFY(deletion.deletePair(QStringLiteral("G-ABC0"), QStringLiteral("BA2")));
        countsEqualARecount();
        StoreCleanup(*store).deleteAllMessages();
        QCOMPARE(rows(*store, "SELECT count(*) FROM MessagesByRegistration"), QStringList{"0"});
        countsEqualARecount();
    }

    // Few duplicates are deleted where they lie, many by copying the rest;
    // a filtered view removes only its own pairs' repeats.
    void removingDuplicatesKeepsTheCounts_data()
    {
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("filtered");
        QTest::newRow("most go") << 120 << false;
        QTest::newRow("most go, one registration") << 120 << true;
        QTest::newRow("few go") << 14 << false;
        QTest::newRow("few go, one registration") << 14 << true;
    }
    void removingDuplicatesKeepsTheCounts()
    {
        QFETCH(int, messages);
        QFETCH(bool, filtered);
        record(messages);
        const MessageView view =
            filtered ? MessageView::byRegistration(QStringLiteral("G-ABC1")) : MessageView::all();
        const StoreCleanup::Duplicates result = StoreCleanup(*store).removeDuplicates(view);
        QVERIFY(result.removed > 0);
        QCOMPARE(keptTotal(), result.left);
        countsEqualARecount();
    }

    void anUpgradeCountsTheMessagesOnce()
    {
        record(50);
        for (const char *table : {"MessagesByHour", "MessagesByLabel", "MessagesByRegistration"})
            store->acarsLog().exec(QByteArray("DROP TABLE ") + table);
        store->acarsLog().setUserVersion(3);
        store.reset();
        store = std::make_unique<Store>();
        store->open(folder);
        QCOMPARE(keptTotal(), 50);
        countsEqualARecount();
        record(5);
        countsEqualARecount();
    }
};

QTEST_GUILESS_MAIN(TestMessageCounts)
#include "TestMessageCounts.moc"
