#include "cli/CommandLine.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/CommandRun.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;

// The reference-data commands as a script sees them: one summary line on
// stdout, messages on stderr, the exit status.
class TestRefdataCommands : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    test::CommandRun run;
    QString &dataDir = run.dataDir;
    const QString &out = run.out;
    const QString &err = run.err;

private slots:
    void init() { dataDir = env.newDataDir(); }

    void loadsPrintTheirSummary()
    {
        const QString aircraft = env.writeFile("a.csv", "G-ABCD,BAW,A320,1\nN1,AAL,B737,2\n");
        QCOMPARE(run({"aircraft-import", aircraft}), int(ExitOk));
        QCOMPARE(out, aircraft + ": 2 added, 0 updated, 0 refused\n");
        QCOMPARE(run({"aircraft-import", aircraft}), int(ExitOk));
        QCOMPARE(out, aircraft + ": 0 added, 2 updated, 0 refused\n");
        QCOMPARE(run({"aircraft-import", "--replace", aircraft}), int(ExitOk));
        QCOMPARE(out, aircraft + ": 2 added, 0 updated, 0 refused\n");
        // Refused lines are named; the others are loaded, and the status says so.
        const QString rough =
            env.writeFile("b.csv", "reg,carrier\n,BAW\nG-NEW,\"BA, Ltd\"\nG-BAD,\"open\n");
        QCOMPARE(run({"aircraft-import", rough}), int(ExitFailure));
        QCOMPARE(out, rough + ": 1 added, 0 updated, 2 refused\n");
        QVERIFY(err.contains(rough + ": refused line 2: the registration is empty\n"));
        QVERIFY(err.contains(rough + ": refused line 4: "));

        const QString routes =
            env.writeFile("routes.bwd", "! list\nBA1=EGLL-KJFK\nBA1=EGLL-LFPG\n");
        QCOMPARE(run({"routes-import", routes}), int(ExitOk));
        QCOMPARE(out, routes + ": 1 added, 1 kept\n");
    }

    void malformedRouteFileFailsKeepingEarlierRoutes()
    {
        const QString routes = env.writeFile(
            "bad.bwd", "BA1=EGLL-KJFK\n! note\nNO EQUALS SIGN HERE AT ALL\nBA2=X-YY\n");
        QCOMPARE(run({"routes-import", routes}), int(ExitFailure));
        QCOMPARE(out, routes + ": 1 added, 0 kept\n");
        QVERIFY(err.contains("problem with the routes.dbf file"));
        QVERIFY(err.contains("(around line 3)"));
        Store store;
        store.open(dataDir);
        SqliteStatement st(store.routes(), "SELECT FLIGHT FROM ROUTES");
        QVERIFY(st.step());
        QCOMPARE(st.text(0), QStringLiteral("BA1"));
        QVERIFY(!st.step());
    }

    void destructiveCommandsWantYes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("dryRun"); // what it prints without --yes
        QTest::newRow("delete-all") << "delete-all"
                                    << "";
        QTest::newRow("remove-duplicates") << "remove-duplicates"
                                           << "2 duplicate messages would be removed, 1 left\n";
    }
    void destructiveCommandsWantYes()
    {
        QFETCH(QString, command);
        QFETCH(QString, dryRun);
        {
            Store store;
            store.open(dataDir);
            MessageRecorder recorder(store);
            for (int i = 0; i < 3; ++i)
                recorder.storeMessage(test::message("G-A", "BA1", "01/01/2004 10:00"), nullptr);
            recorder.commitBatch();
        }
        QCOMPARE(run({command}), int(ExitUsage));
        QVERIFY(err.contains("give --yes"));
        QCOMPARE(out, dryRun);
        QCOMPARE(run({command, "--force"}), int(ExitUsage));
        Store store;
        store.open(dataDir);
        QCOMPARE(test::rows(store, "SELECT count(*) FROM tMessage"), QStringList{"3"});
    }

    void cleanUpCommandsPrintTheirSummary()
    {
        {
            Store store;
            store.open(dataDir);
            MessageRecorder recorder(store);
            for (const char *flight : {"BA1", "BA1", "BA1", "BA2"})
                recorder.storeMessage(test::message("G-A", flight, "01/01/2004 10:00"), nullptr);
            recorder.commitBatch();
        }
        QCOMPARE(run({"remove-duplicates", "--yes"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("2 duplicate messages removed, 2 left\n"));
        QCOMPARE(run({"delete-all", "--yes"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("2 messages deleted\n"));
        QCOMPARE(run({"compact"}), int(ExitOk));
        QVERIFY(out.contains("bytes after"));
    }

    void compactSaysTheFileSize()
    {
        {
            Store store;
            store.open(dataDir);
            MessageRecorder recorder(store);
            for (int i = 0; i < 3000; ++i) {
                MessageRecord m =
                    test::message(QStringLiteral("G-%1").arg(i), "BA1", "01/01/2004 10:00");
                m.mText = QString(200, QChar(u'A' + i % 26));
                recorder.storeMessage(m, nullptr);
            }
            recorder.commitBatch();
        }
        QCOMPARE(run({"delete-all", "--yes"}), int(ExitOk));
        // Another program has the store open, so its closing shrinks nothing.
        Store beside;
        beside.open(dataDir);
        QCOMPARE(run({"compact"}), int(ExitOk));
        const auto sizes =
            QRegularExpression("(\\d+) bytes before, (\\d+) bytes after\n$").match(out);
        QVERIFY2(sizes.hasMatch(), qPrintable(out));
        QCOMPARE(sizes.captured(2).toLongLong(), QFileInfo(dataDir + "/acarslog.db").size());
        QVERIFY(sizes.captured(2).toLongLong() < sizes.captured(1).toLongLong() / 4);
    }

    void missingFilesAndArguments()
    {
        QCOMPARE(run({"aircraft-import"}), int(ExitUsage));
        QCOMPARE(run({"routes-import", "a", "b"}), int(ExitUsage));
        QCOMPARE(run({"aircraft-import", env.path("none.csv")}), int(ExitFailure));
        QVERIFY(err.contains("none.csv"));
        QCOMPARE(run({"compact", "now"}), int(ExitUsage));
    }
};

QTEST_GUILESS_MAIN(TestRefdataCommands)
#include "TestRefdataCommands.moc"
