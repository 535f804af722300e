#include "store/AircraftListLoad.h"
#include "store/MessageRecorder.h"
#include "store/RouteFileLoad.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::rows;

namespace
{

QStringList routeRows(Store &store)
{
    SqliteStatement st(store.routes(), "SELECT FLIGHT, ROUTE FROM ROUTES ORDER BY rowid");
    QStringList out;
    while (st.step())
        out << st.text(0) + u'|' + st.text(1);
    return out;
}

} // namespace

class TestReferenceLoads : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;

    AircraftListLoad::Result loadAircraft(const QByteArray &text, bool replace = false)
    {
        AircraftListLoad load(*store);
        load.setReplace(replace);
        return load.load(env.writeFile(QStringLiteral("aircraft.csv"), text));
    }
    RouteFileLoad::Result loadRoutes(const QByteArray &text, bool replace = false)
    {
        RouteFileLoad load(*store);
        load.setReplace(replace);
        return load.load(env.writeFile(QStringLiteral("routes.bwd"), text));
    }

private slots:
    void init()
    {
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
    }
    void cleanup() { store.reset(); }

    void aircraftLinesGiveFourFields_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("refused");
        const QStringList none;
        QTest::newRow("four fields")
            << QByteArray("G-ABCD,BAW,A320,1234\n") << QStringList{"G-ABCD|BAW|A320|1234"} << none;
        QTest::newRow("fewer fields give empty texts")
            << QByteArray("G-ABCD,BAW\nN1\n") << QStringList{"G-ABCD|BAW||", "N1|||"} << none;
        QTest::newRow("further fields are dropped, unread")
            << QByteArray("D-AIXX,DLH,A350,99,extra,\"more\n") << QStringList{"D-AIXX|DLH|A350|99"}
            << none;
        QTest::newRow("windows line ends, no final line end")
            << QByteArray("G-ABCD,BAW,A320,1\r\nG-EFGH,EZY,A319,2")
            << QStringList{"G-ABCD|BAW|A320|1", "G-EFGH|EZY|A319|2"} << none;
        QTest::newRow("blank lines are skipped, blank registrations refused")
            << QByteArray("\n,BAW,A320,1\nN1,,,\n  ,X\n") << QStringList{"N1|||"}
            << QStringList{"line 2: the registration is empty",
                           "line 4: the registration is empty"};
        QTest::newRow("utf-8 and windows-1252 texts")
            << QByteArray("F-1,AFR,Caravelle \xc3\xa9,1\nF-2,AFR,Caravelle \xe9,2\n")
            << QStringList{QString::fromUtf8("F-1|AFR|Caravelle \xc3\xa9|1"),
                           QString::fromUtf8("F-2|AFR|Caravelle \xc3\xa9|2")}
            << none;
        QTest::newRow("quoted fields hold commas and doubled quotes")
            << QByteArray("G-ABCD, \"British Airways, Ltd\" ,A320,\"say \"\"hi\"\"\"\n"
                          "O\"K,\"\",B7\"7\n")
            << QStringList{"G-ABCD|British Airways, Ltd|A320|say \"hi\"", "O\"K||B7\"7|"} << none;
        QTest::newRow("quotes left open are refused, the rest loaded")
            << QByteArray("G-X,\"open,A320\nG-Y,\"a\"b,C\nG-Z,BAW\n\"G-W,BAW\n")
            << QStringList{"G-Z|BAW||"}
            << QStringList{"line 1: a quoted field is not closed before the next comma",
                           "line 2: a quoted field is not closed before the next comma",
                           "line 4: a quoted field is not closed before the next comma"};
        QTest::newRow("header, after a byte-order mark")
            << QByteArray("\xEF\xBB\xBF Registration ,Carrier,Type,Serial\nG-A,BAW\n")
            << QStringList{"G-A|BAW||"} << none;
        QTest::newRow("quoted short header")
            << QByteArray("\"REG\",\"operator\"\nG-A,BAW\n") << QStringList{"G-A|BAW||"} << none;
        QTest::newRow("only the first line is a header")
            << QByteArray("G-A,BAW\nreg,X\n") << QStringList{"G-A|BAW||", "reg|X||"} << none;
    }
    void aircraftLinesGiveFourFields()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, refused);
        const auto r = loadAircraft(file);
        QCOMPARE(r.added, stored.size());
        QCOMPARE(r.refused, refused.size());
        QStringList refusals;
        for (const AircraftListLoad::Refusal &refusal : r.refusals)
            refusals << refusal.text();
        QCOMPARE(refusals, refused);
        QCOMPARE(rows(*store, "SELECT REGISTRATI, CARRIER, TYPE, CN FROM AIRCRAFT ORDER BY rowid"),
                 stored);
    }

    void knownRegistrationIsOverwrittenKeepingHeard()
    {
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN, \"Heard?\") "
                               "VALUES ('G-ABCD', 'OLD', 'B747', '1', 1), "
                               "('G-ABCD', 'SECOND', 'X', 'X', 0)");
        // A registration is found whatever its case; an existing one is
        // overwritten even with empty texts.
        const auto r = loadAircraft("g-abcd,BAW,,\nG-NEW,EZY,A319,7\nG-NEW,EZY,A320,8\n");
        QCOMPARE(r.added, 1);
        QCOMPARE(r.updated, 2);
        QCOMPARE(rows(*store, "SELECT REGISTRATI, CARRIER, TYPE, CN, \"Heard?\" FROM AIRCRAFT "
                              "ORDER BY rowid"),
                 (QStringList{"g-abcd|BAW|||1", "G-ABCD|SECOND|X|X|0", "G-NEW|EZY|A320|8|0"}));
    }

    void aircraftLoadFlagsHeardAndReplaces()
    {
        MessageRecorder recorder(*store);
        recorder.storeMessage(test::message("G-HEARD", "BA1", "01/02/2004 12:34"), nullptr);
        recorder.commitBatch();
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('MANUAL')");
        const auto r = loadAircraft("G-HEARD,BAW,A320,1\nG-NOT,BAW,A320,2\n", true);
        QCOMPARE(r.added, 2);
        QCOMPARE(rows(*store, "SELECT REGISTRATI, \"Heard?\" FROM AIRCRAFT ORDER BY rowid"),
                 (QStringList{"G-HEARD|1", "G-NOT|0"}));
    }

    void unreadableAircraftFileLeavesTheTable()
    {
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('KEPT')");
        AircraftListLoad load(*store);
        load.setReplace(true);
        QVERIFY_THROWS_EXCEPTION(StoreError, load.load(env.path(QStringLiteral("missing.csv"))));
        QCOMPARE(rows(*store, "SELECT REGISTRATI FROM AIRCRAFT"), QStringList{"KEPT"});
    }

    void longAircraftListsLoadInFull()
    {
        QByteArray text;
        const int lines = AircraftListLoad::kBatchLines * 2 + 40000;
        for (int i = 0; i < lines; ++i)
            text += "N" + QByteArray::number(i) + ",AAL,B737," + QByteArray::number(i) + '\n';
        QList<qint64> progress;
        AircraftListLoad load(*store);
        load.setProgress([&](qint64 line) { progress << line; });
        const auto r = load.load(env.writeFile(QStringLiteral("long.csv"), text));
        QCOMPARE(r.added, lines);
        QCOMPARE(rows(*store, "SELECT count(*), max(CN + 0) FROM AIRCRAFT"),
                 QStringList{QStringLiteral("%1|%2").arg(lines).arg(lines - 1)});
        QCOMPARE(progress.first(), 1);
        QVERIFY(progress.last() > 32766);
    }

    void routeLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<qint64>("malformedLine");
        QTest::newRow("comments hold = and short lines are skipped")
            << QByteArray("! BA1=EGLL-KJFK\nBA1=LL\r\nBA22=EGLL-LFPG\r\n")
            << QStringList{"BA22|EGLL-LFPG"} << qint64(0);
        QTest::newRow("the route is all after the first =")
            << QByteArray("AA100=KJFK=KLAX\n") << QStringList{"AA100|KJFK=KLAX"} << qint64(0);
        QTest::newRow("= as the 20th character")
            << QByteArray("ABCDEFGHIJKLMNOPQRS=R\n") << QStringList{"ABCDEFGHIJKLMNOPQRS|R"}
            << qint64(0);
        QTest::newRow("= beyond the 20th character stops, routes before stay")
            << QByteArray("! header\nBA22=EGLL-LFPG\n\nABCDEFGHIJKLMNOPQRST=R\nBA23=X-Y-Z\n")
            << QStringList{"BA22|EGLL-LFPG"} << qint64(4);
        QTest::newRow("a line without = stops")
            << QByteArray("BA22 EGLL-LFPG\nBA23=X\n") << QStringList{} << qint64(1);
    }
    void routeLines()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, stored);
        QFETCH(qint64, malformedLine);
        const auto r = loadRoutes(file);
        QCOMPARE(routeRows(*store), stored);
        QCOMPARE(r.added, stored.size());
        QCOMPARE(r.malformedLine, malformedLine);
    }

    void existingRoutesStayUnlessReplaced()
    {
        store->routes().exec("INSERT INTO ROUTES VALUES ('BA1', 'OLD-OLD')");
        auto r = loadRoutes("ba1=NEW-NEW\nBA2=AA-BB\nBA2=CC-DD\n");
        QCOMPARE(r.added, 1);
        QCOMPARE(r.kept, 2);
        QCOMPARE(routeRows(*store), (QStringList{"BA1|OLD-OLD", "BA2|AA-BB"}));
        r = loadRoutes("BA1=NEW-NEW\nBA2=AA-BB\nBA2=CC-DD\n", true);
        QCOMPARE(r.added, 3);
        QCOMPARE(routeRows(*store), (QStringList{"BA1|NEW-NEW", "BA2|AA-BB", "BA2|CC-DD"}));
    }
};

QTEST_GUILESS_MAIN(TestReferenceLoads)
#include "TestReferenceLoads.moc"
