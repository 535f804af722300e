#include "store/MessageRecorder.h"
#include "store/MessageView.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;
using corvane::test::rows;

Q_DECLARE_METATYPE(corvane::MessageView)

class TestStoreCleanup : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;

    // Stores the messages "REG/FLIGHT@DD/MM/YYYY HH:mm", in order.
    void record(const QStringList &messages)
    {
        MessageRecorder recorder(*store);
        for (const QString &m : messages) {
            const QString pair = m.section(u'@', 0, 0);
            recorder.storeMessage(
                message(pair.section(u'/', 0, 0), pair.section(u'/', 1), m.section(u'@', 1)),
                nullptr);
        }
        recorder.commitBatch();
    }
    QStringList messages()
    {
        return rows(*store, "SELECT rowid, mReg, mFlight FROM tMessage ORDER BY rowid");
    }
    QStringList schemaOfMessages()
    {
        return rows(*store, "SELECT type, name, sql FROM sqlite_master "
                            "WHERE tbl_name = 'tMessage' ORDER BY name");
    }

private slots:
    void init()
    {
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
    }
    void cleanup() { store.reset(); }

    void oneMessageOfEachPairIsLeft_data()
    {
        QTest::addColumn<int>("unrelated");
        QTest::addColumn<int>("repeats");
        // Few removals are deleted where they stand; many are left behind
        // by copying the survivors.
        QTest::newRow("deleted in place") << 20 << 0;
        QTest::newRow("survivors copied") << 0 << 20;
    }
    void oneMessageOfEachPairIsLeft()
    {
        QFETCH(int, unrelated);
        QFETCH(int, repeats);
        record({"G-A/BA1@02/01/2004 10:00", "G-A/BA1@01/01/2004 10:00", "g-a/ba1@03/01/2004 10:00",
                "G-A/BA2@01/01/2004 10:00", "G-B/BA1@05/01/2004 10:00", "G-B/BA1@05/01/2004 10:00",
                "/BA1@01/01/2004 10:00", "/BA1@01/01/2004 10:00", "G-C/@01/01/2004 10:00",
                "G-C/@01/01/2004 10:00"});
        QStringList filler;
        for (int i = 0; i < unrelated; ++i)
            filler << QStringLiteral("F-%1/XX1@01/01/2004 10:00").arg(i);
        for (int i = 0; i < repeats; ++i)
            filler << QStringLiteral("G-A/BA1@09/01/2004 10:00");
        record(filler);
        store->acarsLog().exec("CREATE VIEW Regs AS SELECT mReg FROM tMessage");
        store->acarsLog().exec("CREATE TRIGGER Noted AFTER DELETE ON tMessage BEGIN "
                               "SELECT 1; END");
        const QStringList schema = schemaOfMessages();
        const QStringList pairs = rows(*store, "SELECT * FROM ACARSLOG ORDER BY rowid");

        const auto counted = StoreCleanup(*store).countDuplicates(MessageView::all());
        const auto r = StoreCleanup(*store).removeDuplicates(MessageView::all());

        QCOMPARE(counted.removed, r.removed);
        QCOMPARE(counted.left, r.left);
        QCOMPARE(r.removed, 3 + repeats);
        QCOMPARE(r.left, 7 + unrelated);
        // The earliest of a pair stays whatever its case and place; ties go
        // to the first stored. Different flights, and messages without a
        // registration or a flight, all stay, each with its rowid.
        QCOMPARE(messages().mid(0, 7), (QStringList{"2|G-A|BA1", "4|G-A|BA2", "5|G-B|BA1", "7||BA1",
                                                    "8||BA1", "9|G-C|", "10|G-C|"}));
        QCOMPARE(schemaOfMessages(), schema);
        QCOMPARE(rows(*store, "SELECT count(*) FROM Regs"), QStringList{QString::number(r.left)});
        // The registers still count every hearing.
        QCOMPARE(rows(*store, "SELECT * FROM ACARSLOG ORDER BY rowid"), pairs);
        // The store takes new messages as before.
        record({"G-A/BA1@04/01/2004 10:00"});
        QCOMPARE(rows(*store, "SELECT TimesHeard FROM ACARSLOG WHERE Flight = 'BA1' "
                              "AND Registration = 'G-A'"),
                 QStringList{QString::number(4 + repeats)});
    }

    void theViewChoosesThePairs_data()
    {
        QTest::addColumn<MessageView>("view");
        QTest::addColumn<QStringList>("left");
        const QStringList all{"G-A/BA1@01/01/2004 10:00", "G-A/BA1@02/01/2004 10:00",
                              "G-B/BA1@01/01/2004 10:00", "G-B/BA1@03/01/2004 10:00",
                              "G-A/BA2@01/01/2004 10:00", "G-A/BA2@05/01/2004 10:00"};
        // A pair in the view loses its repeats outside the view too.
        QTest::newRow("flight") << MessageView::byFlight("ba1")
                                << QStringList{"1|G-A|BA1", "3|G-B|BA1", "5|G-A|BA2", "6|G-A|BA2"};
        QTest::newRow("registration")
            << MessageView::byRegistration("G-A")
            << QStringList{"1|G-A|BA1", "3|G-B|BA1", "4|G-B|BA1", "5|G-A|BA2"};
        QTest::newRow("days") << MessageView::byDate(QDate(2004, 1, 5), QDate(2004, 1, 5))
                              << QStringList{"1|G-A|BA1", "2|G-A|BA1", "3|G-B|BA1", "4|G-B|BA1",
                                             "5|G-A|BA2"};
        QTest::newRow("sorted shows all") << MessageView::sortedBy(MessageView::Reg)
                                          << QStringList{"1|G-A|BA1", "3|G-B|BA1", "5|G-A|BA2"};
    }
    void theViewChoosesThePairs()
    {
        QFETCH(MessageView, view);
        QFETCH(QStringList, left);
        record({"G-A/BA1@01/01/2004 10:00", "G-A/BA1@02/01/2004 10:00", "G-B/BA1@01/01/2004 10:00",
                "G-B/BA1@03/01/2004 10:00", "G-A/BA2@01/01/2004 10:00",
                "G-A/BA2@05/01/2004 10:00"});
        const auto counted = StoreCleanup(*store).countDuplicates(view);
        QCOMPARE(counted.removed, 6 - left.size());
        QCOMPARE(counted.left, left.size());
        StoreCleanup(*store).removeDuplicates(view);
        QCOMPARE(messages(), left);
    }

    void pairsOutsideTheViewSurviveACopy()
    {
        QStringList many{"G-B/BA2@01/01/2004 10:00", "G-B/BA2@01/01/2004 10:00",
                         "/BA2@01/01/2004 10:00"};
        for (int i = 0; i < 10; ++i)
            many << QStringLiteral("G-A/BA1@0%1/01/2004 10:00").arg(9 - i % 9);
        record(many);
        const auto r = StoreCleanup(*store).removeDuplicates(
            MessageView::byRegistration(QStringLiteral("G-A")));
        QCOMPARE(r.removed, 9);
        QCOMPARE(messages(), (QStringList{"1|G-B|BA2", "2|G-B|BA2", "3||BA2", "12|G-A|BA1"}));
    }

    void aFailedRemovalLeavesTheStore()
    {
        record({"G-A/BA1@01/01/2004 10:00", "G-A/BA1@02/01/2004 10:00", "G-B/BA2@01/01/2004 10:00",
                "G-C/BA2@01/01/2004 10:00"});
        store->acarsLog().exec("CREATE TRIGGER Refuse BEFORE DELETE ON tMessage BEGIN "
                               "SELECT RAISE(ABORT, 'refused'); END");
        const QStringList before = messages();
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 StoreCleanup(*store).removeDuplicates(MessageView::all()));
        QCOMPARE(messages(), before);
        // Nothing of the attempt is left behind to trouble the next one.
        store->acarsLog().exec("DROP TRIGGER Refuse");
        QCOMPARE(StoreCleanup(*store).removeDuplicates(MessageView::all()).removed, 1);
    }

    void deleteAllKeepsReferenceData()
    {
        record({"G-A/BA1@01/01/2004 10:00", "G-B/BA1@01/01/2004 10:00"});
        SqliteDb &db = store->acarsLog();
        db.exec("INSERT INTO LOGSPROCESSED (FileName) VALUES ('a.log')");
        db.exec("INSERT INTO AIRCRAFT (REGISTRATI, \"Heard?\") VALUES ('G-A', 1), ('G-X', 1)");
        db.exec("INSERT INTO CARRIERS (ICAO) VALUES ('BAW')");
        store->routes().exec("INSERT INTO ROUTES VALUES ('BA1', 'A-B')");
        store->alerts().exec("INSERT INTO LABELS VALUES ('H1', 'x')");

        QCOMPARE(StoreCleanup(*store).deleteAllMessages(), 2);

        QCOMPARE(rows(*store, "SELECT (SELECT count(*) FROM tMessage) + "
                              "(SELECT count(*) FROM ACARSLOG) + "
                              "(SELECT count(*) FROM UniqueAircraft) + "
                              "(SELECT count(*) FROM LOGSPROCESSED)"),
                 QStringList{"0"});
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY rowid"),
                 (QStringList{"G-A|0", "G-X|0"}));
        QCOMPARE(rows(*store, "SELECT ICAO FROM CARRIERS"), QStringList{"BAW"});
        SqliteStatement routes(store->routes(), "SELECT count(*) FROM ROUTES");
        QVERIFY(routes.step());
        QCOMPARE(routes.int64(0), 1);
    }

    void compactGivesSpaceBack()
    {
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many << QStringLiteral("G-%1/BA1@01/01/2004 10:00").arg(i % 2);
        record(many);
        StoreCleanup cleanup(*store);
        cleanup.removeDuplicates(MessageView::all());
        store->acarsLog().exec("PRAGMA wal_checkpoint(TRUNCATE)");
        const qint64 before = QFileInfo(store->path(Schema::File::AcarsLog)).size();
        cleanup.compact();
        store->acarsLog().exec("PRAGMA wal_checkpoint(TRUNCATE)");
        QVERIFY(QFileInfo(store->path(Schema::File::AcarsLog)).size() < before);
        QCOMPARE(messages(), (QStringList{"1|G-0|BA1", "2|G-1|BA1"}));
    }
};

QTEST_GUILESS_MAIN(TestStoreCleanup)
#include "TestStoreCleanup.moc"
