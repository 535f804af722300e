#include "cli/CommandLine.h"
#include "store/MessageDeletion.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreStatistics.h"
#include "support/CommandRun.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;

// The figures and chart counts, read by the store class and printed by
// `corvane stats`.
class TestStoreStatistics : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    test::CommandRun run;
    QString &dataDir = run.dataDir;
    const QString &out = run.out;
    const QString &err = run.err;
    QDateTime now;

    // Messages `hoursAgo` before now, with a label.
    static void record(MessageRecorder &recorder, const QString &reg, const QString &label,
                       int hoursAgo, const QDateTime &now, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            MessageRecord r =
                message(reg, QStringLiteral("XY%1").arg(i),
                        now.addSecs(-3600 * hoursAgo).toString(QStringLiteral("dd/MM/yyyy HH:mm")));
            r.mLabel = label;
            QCOMPARE(recorder.storeMessage(r, nullptr), StoreResult::Stored);
        }
    }

    // Traffic of three operators, one aircraft unknown and one old message.
    void fill(Store &store)
    {
        SqliteDb &db = store.acarsLog();
        db.exec("INSERT INTO AIRCRAFT (REGISTRATI, TYPE, CARRIER) VALUES "
                "('G-BAW1', 'A320', 'BAW'), ('G-BAW2', 'A319', 'baw'), "
                "('D-DLH1', 'A321', 'DLH'), ('N-EXEC', 'C550', '---'), ('F-NONE', 'A320', '')");
        db.exec("INSERT INTO CARRIERS (ICAO, IATA, CARRIER) VALUES ('BAW', 'BA', 'British')");
        MessageRecorder recorder(store);
        record(recorder, "G-BAW1", "H1", 0, now, 3);
        record(recorder, "g-baw2", "H1", 1, now, 2);
        record(recorder, "D-DLH1", "_d", 30, now, 4);
        record(recorder, "N-EXEC", "5Z", 2, now);
        record(recorder, "X-UNKN", "5Z", 3, now, 6);
        record(recorder, "F-NONE", "Q0", 3, now);
        record(recorder, "G-BAW1", "OLD", 24 * 45, now, 9);
        recorder.commitBatch();
    }

private slots:
    void init()
    {
        dataDir = env.newDataDir();
        // Clear of the hour's edges, so the test's own hours do not move under it.
        now = QDateTime(QDate::currentDate(), QTime(QTime::currentTime().hour(), 30));
    }

    void anEmptyStorePrintsZerosAndNoDates()
    {
        QCOMPARE(run({"stats"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("Total Records: 0\nUnique Aircraft/Flight No: 0\n"
                                     "Unique Aircraft: 0\nAircraft: 0\nCarriers: 0\n"
                                     "First Record:\nLast Record:\n"));
        QCOMPARE(run({"stats", "--by", "label"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("label,messages\n"));
        QCOMPARE(run({"stats", "--by", "day"}), int(ExitOk));
        QCOMPARE(out.count('\n'), 1 + StoreStatistics::kDays);
        QVERIFY(out.endsWith(now.date().toString(QStringLiteral("yyyy-MM-dd")) + ",0\n"));
    }

    void figuresCoverTheWholeStore()
    {
        {
            Store store;
            store.open(dataDir);
            fill(store);
        }
        QCOMPARE(run({"stats"}), int(ExitOk));
        const QString old = now.addSecs(-3600 * 24 * 45).toString(QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(out, QStringLiteral("Total Records: 26\nUnique Aircraft/Flight No: 23\n"
                                     "Unique Aircraft: 6\nAircraft: 5\nCarriers: 1\n"
                                     "First Record: %1\nLast Record: %2\n")
                          .arg(old, now.toString(QStringLiteral("dd/MM/yyyy"))));
    }

    void chartsCountTheirOwnHoursAndDays()
    {
        Store store;
        store.open(dataDir);
        fill(store);
        StoreStatistics statistics(store);
        const auto hours = statistics.perHour(now);
        QCOMPARE(int(hours.size()), StoreStatistics::kHours);
        QCOMPARE(hours.back().key, now.toString(QStringLiteral("yyyy-MM-dd HH:00")));
        QCOMPARE(hours.back().messages, 3);
        QCOMPARE(hours[22].messages, 2);
        QCOMPARE(hours[21].messages, 1);
        QCOMPARE(hours[20].messages, 7);
        qint64 inHours = 0;
        for (const auto &h : hours)
            inHours += h.messages;
        QCOMPARE(inHours, 13); // the messages of 30 hours ago are a day back

        qint64 inDays = 0;
        for (const auto &d : statistics.perDay(now.date()))
            inDays += d.messages;
        QCOMPARE(inDays, 17); // all but the old ones

        const auto labels = statistics.topLabels(now.date());
        QCOMPARE(int(labels.size()), 4);
        QCOMPARE(labels[0].key, QStringLiteral("5Z"));
        QCOMPARE(labels[0].messages, 7);
        QCOMPARE(labels[1].key, QStringLiteral("H1"));
        QCOMPARE(labels[1].messages, 5);

        // One operator whatever the case of its code; the unknown aircraft and
        // the one without an operator are left out; the old messages too.
        QCOMPARE(run({"stats", "--by", "operator"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("operator,messages\nBAW,5\nDLH,4\n---,1\n"));

        // An edited operator shows at once; a deletion takes its messages away.
        store.acarsLog().exec("UPDATE AIRCRAFT SET CARRIER = 'DLH' WHERE REGISTRATI = 'G-BAW1'");
        QVERIFY(MessageDeletion(store).deletePair(QStringLiteral("D-DLH1"), QStringLiteral("XY0")));
        const auto operators = statistics.topOperators(now.date());
        QCOMPARE(operators[0].key, QStringLiteral("DLH"));
        QCOMPARE(operators[0].messages, 6);
    }

    void badArgumentsAreRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown kind") << QStringList{"stats", "--by", "week"};
        QTest::newRow("no kind") << QStringList{"stats", "--by"};
        QTest::newRow("stray word") << QStringList{"stats", "hour"};
    }
    void badArgumentsAreRefused()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(args), int(ExitUsage));
        QVERIFY(out.isEmpty());
        QVERIFY(err.contains("Usage: corvane stats"));
    }
};

QTEST_GUILESS_MAIN(TestStoreStatistics)
#include "TestStoreStatistics.moc"
