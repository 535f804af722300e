#include "store/NamedCommands.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace corvane;

class TestStoreSchema : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void createsTheThreeFilesWithTheirTables()
    {
        const QString dir = env.newDataDir();
        Store store;
        store.open(dir);
        QVERIFY(QFile::exists(dir + "/acarslog.db"));
        QVERIFY(QFile::exists(dir + "/routes.db"));
        QVERIFY(QFile::exists(dir + "/Alerts.db"));
        QVERIFY(store.acarsLog().columnsOf("AIRCRAFT").contains("Heard?"));
        QCOMPARE(store.acarsLog().columnsOf("tMessage").size(), 10);
        QVERIFY(store.routes().tableExists("routes"));
        QVERIFY(store.alerts().tableExists("LABELS"));
        QCOMPARE(store.acarsLog().userVersion(), Schema::kCurrentVersion);
        SqliteStatement mode(store.acarsLog(), "PRAGMA journal_mode");
        QVERIFY(mode.step());
        QCOMPARE(mode.text(0), QStringLiteral("wal"));
    }

    void refusesAFileThatIsNotOurs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text as routes") << "routes.db" << QByteArray("not a database at all");
        QTest::newRow("text as alerts") << "Alerts.db" << QByteArray("garbage\n");
    }
    void refusesAFileThatIsNotOurs()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString dir = env.newDataDir();
        QFile f(dir + u'/' + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        Store store;
        try {
            store.open(dir);
            QFAIL("a foreign file was accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
        QVERIFY(!QFile::exists(dir + "/acarslog.db"));
    }

    void refusesAnotherSqliteDatabase()
    {
        const QString dir = env.newDataDir();
        {
            SqliteDb other;
            other.open(dir + "/acarslog.db");
            other.exec("CREATE TABLE photos (id INTEGER)");
        }
        Store store;
        QVERIFY_THROWS_EXCEPTION(StoreError, store.open(dir));
        SqliteDb check;
        check.open(dir + "/acarslog.db");
        QCOMPARE(check.tableNames(), QStringList{"photos"});
    }

    void reopensAnExistingStore()
    {
        const QString dir = env.newDataDir();
        {
            Store store;
            store.open(dir);
            store.acarsLog().exec(
                "INSERT INTO CARRIERS (ICAO, IATA, CARRIER) VALUES ('BAW', 'BA', 'British')");
        }
        Store store;
        store.open(dir);
        NamedCommands commands(store);
        QCOMPARE(commands.run("AllCarriers").recordCount(), 1);
    }

    void namedCommandsMatchWithoutCase()
    {
        Store store;
        store.open(env.newDataDir());
        NamedCommands commands(store);
        store.acarsLog().exec("INSERT INTO ACARSLOG VALUES ('N1', 'BA01', '2004-01-01 00:00:00', "
                              "'2004-01-01 00:00:00', 1),"
                              "('N1', 'XY02', '2004-01-01 00:00:00', '2004-01-01 00:00:00', 1)");
        QCOMPARE(commands.run("CHECKUNPROCESSED", {"n1", "ba01"}).recordCount(), 1);
        // Run again with other parameters: only the second run's rows.
        const QueryRows second = commands.run("checkUnprocessed", {"N1", "XY02"});
        QCOMPARE(second.recordCount(), 1);
        QCOMPARE(second.value(0, "flight").toString(), QStringLiteral("XY02"));
        QCOMPARE(commands.run("UniqueAircraft", {"nobody"}).recordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(StoreError, commands.run("NoSuchCommand"));
    }

    void todayCountsFromItsMidnightToTheNext()
    {
        Store store;
        store.open(env.newDataDir());
        store.acarsLog().exec(
            "INSERT INTO tMessage (mTime) VALUES ('2026-12-08 00:00:00'), ('2026-12-08 00:00:01'),"
            "('2026-12-08 23:59:59'), ('2026-12-09 00:00:00'), ('2026-12-07 23:59:59');"
            "INSERT INTO UniqueAircraft (Registration, LastHeard) VALUES ('A', '2026-12-08 "
            "12:00:00'),"
            "('B', '2026-12-09 00:00:00'), ('C', '2026-12-07 12:00:00')");
        NamedCommands commands(store);
        const QDate day(2026, 12, 8);
        // The first midnight belongs to the day, the next one does not.
        QCOMPARE(commands.count("Today", day), 3);
        QCOMPARE(commands.count("TodayAll", day), 1);
    }

    void heardCommandsSetAndClearFlags()
    {
        Store store;
        store.open(env.newDataDir());
        store.acarsLog().exec(
            "INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N1'), ('N2');"
            "INSERT INTO tMessage (mReg, mTime) VALUES ('n1', '2004-01-01 00:00:00')");
        NamedCommands commands(store);
        commands.run("UpdateHeard");
        QCOMPARE(commands.run("AllAircraft").value(0, "Heard?").toInt(), 1);
        QCOMPARE(commands.run("AllAircraft").value(1, "Heard?").toInt(), 0);
        commands.run("SetAllHeardToNone");
        QCOMPARE(commands.run("AllAircraft").value(0, "Heard?").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestStoreSchema)
#include "TestStoreSchema.moc"
