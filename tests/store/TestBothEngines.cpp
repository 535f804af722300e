// The classes the window and the commands read through, on the SQLite files
// and on a server holding the same messages: every view, register and
// figure must come out the same, row for row, on both.

#include "reports/core/ReportDefinitionParser.h"
#include "store/AircraftListLoad.h"
#include "store/AircraftTable.h"
#include "store/BrowsingQueries.h"
#include "store/CarrierTable.h"
#include "store/DayRange.h"
#include "store/HeardRegistrations.h"
#include "store/MessageDeletion.h"
#include "store/MessageDetail.h"
#include "store/MessagePager.h"
#include "store/MessageViewCursor.h"
#include "store/NewPairsSink.h"
#include "store/PgConnection.h"
#include "store/ProcessedLogs.h"
#include "store/Recorder.h"
#include "store/ReportQuery.h"
#include "store/RouteFileLoad.h"
#include "store/RouteTable.h"
#include "store/ServerReportQuery.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"
#include "store/StoreStatement.h"
#include "store/StoreStatistics.h"
#include "store/TablePager.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QtTest>
#include <atomic>
#include <thread>

using namespace corvane;

namespace
{

// Messages whose keys differ only in case, texts that sort differently by
// locale than by byte, equal times, empty and non-ASCII fields, uplinks.
void record(Recorder &recorder)
{
    const QStringList regs = {"G-EUUA", "g-euua", "N123AB", "D-AIBC", "F-GKXA", ""};
    const QStringList flights = {"BA0001", "ba0001", "LH400", "AF123", ""};
    const QStringList labels = {"H1", "_d", "SA", "15", "B6", ""};
    const QStringList texts = {"POSREP N51W020", "a lower case start",
                               "Zürich ✈ 東京",  "RWY 27L",
                               "-dash first",    "",
                               "rwy 09",         "_underscore",
                               "Ärger",          "line one\r\nline two"};
    for (int i = 0; i < 900; ++i) {
        MessageRecord m = test::message(regs[i % 6], flights[i % 5],
                                        QStringLiteral("0%1/12/2026 %2:%3")
                                            .arg(1 + i % 5)
                                            .arg(10 + i % 12)
                                            .arg(i % 7 * 5, 2, 10, QChar(u'0')));
        m.mLabel = labels[i % 6];
        m.mText = texts[i % 10] + (i % 3 ? QString::number(i) : QString());
        m.mMode = i % 4 ? QStringLiteral("2") : QStringLiteral("X");
        m.mBlk = QString::number(i % 9);
        m.mNo = QStringLiteral("M%1A").arg(i % 13, 2, 10, QChar(u'0'));
        m.mFileName = QStringLiteral("log%1.txt").arg(i % 3);
        if (i % 50 == 7)
            m.setUplink();
        recorder.storeMessage(m, nullptr);
    }
    recorder.commitBatch();
}

QStringList rowsOf(Store &store, const MessageView &view)
{
    MessagePager pager(store);
    pager.setView(view);
    QStringList rows;
    for (qint64 i = 0; i < pager.rowCount(); ++i) {
        const MessageRow *row = pager.row(i);
        QStringList fields{QString::number(row->rowid)};
        for (const QString &f : row->fields)
            fields << f;
        rows << fields.join(u'|');
    }
    return rows;
}

QStringList tableOf(Store &store, const PagedQuery &query)
{
    TablePager pager(store);
    pager.setQuery(query);
    QStringList rows;
    for (qint64 i = 0; i < pager.rowCount(); ++i)
        rows << pager.row(i)->fields.join(u'|');
    return rows;
}

// The same rows, and the same order of the sorted column (-1: unsorted).
bool sameTable(Store &a, Store &b, const PagedQuery &query, int column)
{
    const QStringList x = tableOf(a, query), y = tableOf(b, query);
    QStringList xs = x, ys = y, xk, yk;
    xs.sort();
    ys.sort();
    for (const QString &row : x)
        xk << row.section(u'|', std::max(column, 0), std::max(column, 0));
    for (const QString &row : y)
        yk << row.section(u'|', std::max(column, 0), std::max(column, 0));
    return xs == ys && xk == yk && (column >= 0 || x == y);
}

QStringList counts(const std::vector<StoreStatistics::Count> &all)
{
    QStringList out;
    for (const auto &c : all)
        out << c.key + u'=' + QString::number(c.messages);
    return out;
}

} // namespace

class BothEnginesTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<test::ThrowawayServer> server;
    Store files;
    Store onServer;

private slots:
    void initTestCase()
    {
        server = std::make_unique<test::ThrowawayServer>();
        if (!server->isRunning())
            QSKIP(qPrintable(server->whyNot()));
        files.open(env.newDataDir());
        onServer.openServer(env.newDataDir(), ServerUrl::parse(server->newDatabase()));
        record(*Recorder::of(files));
        record(*Recorder::of(onServer));
    }

    // New pairs are told in the order first heard in their batch; a pair
    // heard again in other case, or known from an earlier batch, is not new.
    void newPairsInTheOrderHeard()
    {
        struct Told : NewPairsSink {
            QStringList pairs;
            void newPair(const QString &reg, const QString &flight) override
            {
                pairs << reg + u' ' + flight;
            }
        };
        const QList<QStringList> batches = {{"KN-0/K0"},
                                            {"ZZ-9/X1", "AA-1/Y2", "MM-5/Z3", "KN-0/K0", "zz-9/x1"},
                                            {"AA-1/Y2", "BB-2/W4"}};
        for (const bool toServer : {false, true}) {
            Store store;
            if (toServer)
                store.openServer(env.newDataDir(), ServerUrl::parse(server->newDatabase()));
            else
                store.open(env.newDataDir());
            const std::unique_ptr<Recorder> recorder = Recorder::of(store);
            QStringList told = {toServer ? "server" : "files"};
            for (const QStringList &batch : batches) {
                Told sink;
                for (const QString &pair : batch)
                    recorder->storeMessage(test::message(pair.section(u'/', 0, 0),
                                                         pair.section(u'/', 1), "01/12/2026 10:00"),
                                           &sink);
                recorder->commitBatch();
                told << sink.pairs.join(u',');
            }
            QCOMPARE(told, QStringList({told[0], "KN-0 K0", "ZZ-9 X1,AA-1 Y2,MM-5 Z3", "BB-2 W4"}));
        }
    }

    void sameViews_data()
    {
        QTest::addColumn<MessageView>("view");
        QTest::newRow("all") << MessageView::all();
        QTest::newRow("all, newest first") << MessageView::all().withOrder(MessageView::Time, true);
        for (int c = 0; c < MessageView::ColumnCount; ++c) {
            const QByteArray name = MessageView::columns()[size_t(c)].caption;
            QTest::newRow(("by " + name).constData()) << MessageView::sortedBy(c);
            QTest::newRow(("by " + name + ", down").constData()) << MessageView::sortedBy(c, true);
        }
        QTest::newRow("a registration in other case") << MessageView::byRegistration("G-euUA");
        QTest::newRow("the empty registration") << MessageView::byRegistration("");
        QTest::newRow("a flight") << MessageView::byFlight("BA0001");
        QTest::newRow("the uplinks") << MessageView::byFlight("uplink");
        QTest::newRow("two days") << MessageView::byDate(QDate(2026, 12, 2), QDate(2026, 12, 3));
        QTest::newRow("no days") << MessageView::byDate(QDate(2026, 12, 9), QDate(2026, 12, 9));
        QTest::newRow("days by text") << MessageView::byDate(QDate(2026, 12, 1), QDate(2026, 12, 2))
                                             .withOrder(MessageView::Text, false);
        QTest::newRow("search") << MessageView::all().withSearch("rwy");
        QTest::newRow("search non-ASCII") << MessageView::all().withSearch("zürich");
        QTest::newRow("search within a registration")
            << MessageView::byRegistration("g-euua").withSearch("POSREP");
        QTest::newRow("search by label")
            << MessageView::all().withSearch("_d").withOrder(MessageView::Label, false);
        QTest::newRow("search nothing") << MessageView::all().withSearch("no such text");
    }

    // The grid's rows and the export's, in the same order with the same
    // rowids, whichever engine reads them.
    void sameViews()
    {
        QFETCH(MessageView, view);
        const QStringList expected = rowsOf(files, view);
        QCOMPARE(rowsOf(onServer, view), expected);
        QCOMPARE(view.count(onServer), view.count(files));

        const std::vector<int> columns = {MessageView::Time, MessageView::Reg, MessageView::Text};
        MessageViewCursor a(files, view, columns), b(onServer, view, columns);
        int rows = 0;
        while (a.next()) {
            QVERIFY(b.next());
            for (int i = 0; i < 3; ++i)
                QCOMPARE(b.field(i), a.field(i));
            ++rows;
        }
        QVERIFY(!b.next());
        QCOMPARE(rows, expected.size());
    }

    // The same rows in the same order of the sorted column; rows equal in
    // it follow each table's own order, which the engines fill differently
    // (the server adds a batch's pairs in key order).
    void sameRegisters() { sameRegisterRows(); }

    void sameRegisterRows()
    {
        for (int c = -1; c < BrowsingQueries::PairColumns; ++c)
            QVERIFY2(sameTable(files, onServer, BrowsingQueries::heardPairs(c), c),
                     qPrintable(QString::number(c)));
        // Unsorted, the heard aircraft come in table order, which differs.
        for (int c = 0; c < BrowsingQueries::HeardColumns; ++c)
            QVERIFY2(sameTable(files, onServer, BrowsingQueries::heardAircraft(c), c),
                     qPrintable(QString::number(c)));
    }

    void sameDetailsAndFigures()
    {
        MessageDetail a(files), b(onServer);
        for (qint64 id : {1, 7, 450, 900}) {
            const auto x = a.read(id), y = b.read(id);
            QVERIFY(x && y);
            QCOMPARE(y->text, x->text);
            QCOMPARE(y->registration, x->registration);
            QCOMPARE(y->labelMeaning, x->labelMeaning);
        }
        QVERIFY(!b.read(901));

        StoreStatistics s(files), t(onServer);
        const auto f = s.figures(), g = t.figures();
        QCOMPARE(g.messages, f.messages);
        QCOMPARE(g.heardPairs, f.heardPairs);
        QCOMPARE(g.heardAircraft, f.heardAircraft);
        QCOMPARE(g.firstDay, f.firstDay);
        QCOMPARE(g.lastDay, f.lastDay);
        const QDate day(2026, 12, 5);
        QCOMPARE(counts(t.perDay(day)), counts(s.perDay(day)));
        QCOMPARE(counts(t.perHour(QDateTime(day, QTime(23, 0)))),
                 counts(s.perHour(QDateTime(day, QTime(23, 0)))));
        QCOMPARE(counts(t.topLabels(day)), counts(s.topLabels(day)));
    }

    // The reference editors add, change and remove rows; the new rows'
    // keys find them again on either engine, and lookups see the edits.
    void sameEdits()
    {
        for (Store *store : {&files, &onServer}) {
            AircraftTable aircraft(*store);
            const qint64 a = aircraft.add({0, "G-EUUA", "BAW", "A319", "1234", true});
            aircraft.add({0, "N123AB", "---", "GLF5", "77", false});
            aircraft.update({a, "G-EUUA", "BAW", "A320", "1234", true});
            CarrierTable carriers(*store);
            const qint64 c = carriers.add({0, "BA", "BAW", "British Airways"});
            carriers.update({c, "BA", "BAW", "British Airways plc"});
            const qint64 gone = carriers.add({0, "XX", "XXX", "Gone"});
            carriers.remove(gone);
            // The import's list of logs read before.
            ProcessedLogs(*store).add("/logs/2026-12-01.log");
            QVERIFY(ProcessedLogs(*store).contains("/logs/2026-12-01.log"));
            QVERIFY(!ProcessedLogs(*store).contains("/logs/2026-12-02.log"));
            RouteTable routes(*store);
            const qint64 r = routes.add({0, "BA0001", "LHR-JFK"});
            routes.update({r, "BA0001", "LHR-BOS"});
            // The editors' refusal of a second row finds keys whatever their case.
            QVERIFY(aircraft.registrationTaken("g-euua", 0));
            QVERIFY(!aircraft.registrationTaken("G-EUUA", a));
            QVERIFY(carriers.icaoTaken("baw", 0));
            QVERIFY(!carriers.icaoTaken("BAW", c));
            QVERIFY(routes.flightTaken("ba0001", 0));
            QVERIFY(!routes.flightTaken("BA0001", r));
        }
        const auto aircraftOf = [](Store &store) {
            QStringList rows;
            for (const AircraftRow &r : AircraftTable(store).all())
                rows << QStringList{QString::number(r.id),
                                    r.registration,
                                    r.carrier,
                                    r.type,
                                    r.serial,
                                    QString::number(r.heard)}
                            .join(u'|');
            return rows;
        };
        QCOMPARE(aircraftOf(onServer), aircraftOf(files));
        QCOMPARE(CarrierTable(onServer).all().size(), size_t(1));
        QCOMPARE(CarrierTable(onServer).all().front().carrier,
                 QStringLiteral("British Airways plc"));
        QCOMPARE(RouteTable(onServer).all().front().route, QStringLiteral("LHR-BOS"));
        MessageDetail a(files), b(onServer);
        QCOMPARE(b.read(1)->type, a.read(1)->type);
        QCOMPARE(b.read(1)->type, QStringLiteral("A320"));
        QCOMPARE(b.read(1)->operatorName, a.read(1)->operatorName);
        QCOMPARE(b.read(1)->route, QStringLiteral("LHR-BOS"));
    }

    // The bulk loads add and update the same rows, counted the same, and
    // mark the aircraft heard that the messages name.
    void sameLoads()
    {
        // A header, a new registration twice in one batch (in two
        // spellings), one line without its last fields, a quoted comma,
        // two lines refused.
        const QString aircraftFile = env.writeFile(
            "a.csv", "Reg,Carrier,Type,CN\ng-euua,BAW,A321,1234\nD-AIBC,DLH,A321,55\n,,,\n"
                     "D-AIBC,\"DLH, Lufthansa\",A320,56\nd-new1,AFR,B738\nD-NEW1,KLM,B739,9\n"
                     "D-MISS\nD-OPEN,\"DLH\n");
        const QString routeFile = env.writeFile(
            "r.txt", "BA0001=EGLL-KJFK\nLH400=EDDF-KJFK\nlh400=EDDF-KBOS\nAF1=LFPG-KJFK\n");
        QStringList results;
        for (Store *store : {&files, &onServer}) {
            const AircraftListLoad::Result a = AircraftListLoad(*store).load(aircraftFile);
            const RouteFileLoad::Result r = RouteFileLoad(*store).load(routeFile);
            RouteFileLoad replacing(*store);
            replacing.setReplace(true);
            const RouteFileLoad::Result all = replacing.load(routeFile);
            results << QStringLiteral("%1 %2 %3 %4 %5 %6")
                           .arg(a.added)
                           .arg(a.updated)
                           .arg(a.refused)
                           .arg(r.added)
                           .arg(r.kept)
                           .arg(all.added);
        }
        QCOMPARE(results[1], results[0]);
        QCOMPARE(results[0], QStringLiteral("3 3 2 2 2 4"));
        const auto aircraftOf = [](Store &store) {
            QStringList rows;
            for (const AircraftRow &r : AircraftTable(store).all())
                rows << QStringList{r.registration, r.type, r.serial, QString::number(r.heard)}
                            .join(u'|');
            return rows;
        };
        QCOMPARE(aircraftOf(onServer), aircraftOf(files));
        QVERIFY(aircraftOf(onServer).contains(QStringLiteral("D-AIBC|A320|56|1")));
        QVERIFY(aircraftOf(onServer).contains(QStringLiteral("D-NEW1|B739|9|0")));
        const auto routesOf = [](Store &store) {
            QStringList rows;
            for (const RouteRow &r : RouteTable(store).all())
                rows << r.flight + u'=' + r.route;
            return rows;
        };
        QCOMPARE(routesOf(onServer), routesOf(files));
        QCOMPARE(routesOf(onServer).size(), 4);
    }

    // The trip log's and the unmatched report's lists.
    void sameHeardRegistrations()
    {
        HeardRegistrations a(files), b(onServer);
        const DayRange days(QDate(2026, 12, 2), QDate(2026, 12, 3));
        QCOMPARE(b.inDays(days).size(), a.inDays(days).size());
        QStringList x, y;
        for (const auto &m : a.matchedWithAircraft())
            x << m.registration.toUpper() + QString::number(m.known);
        for (const auto &m : b.matchedWithAircraft())
            y << m.registration.toUpper() + QString::number(m.known);
        x.sort();
        y.sort();
        QCOMPARE(y, x);
        QVERIFY(x.contains(QStringLiteral("D-AIBC1")));
    }

    // Every shipped report reads the same rows from both; on the server as
    // on the files a report cannot change data.
    void sameReports()
    {
        const QMap<QString, QString> values = {{"DateFrom", "2026-12-02"},
                                               {"DateTo", "2026-12-04"},
                                               {"Flight", "ba0001"},
                                               {"Reg", "g-euua"}};
        const auto rowsOfReport = [&](const ReportDefinition &def, const QString &url) {
            ReportQuery query(files.folder(), def.attach, url);
            query.prepare(def.query);
            for (const QString &name : query.parameterNames())
                query.bind(name, values.value(name));
            QStringList rows{query.columnNames().join(u'|').toLower()};
            while (query.next()) {
                QStringList fields;
                for (int c = 0; c < query.columnNames().size(); ++c)
                    fields << query.text(c);
                rows << fields.join(u'|');
            }
            return rows;
        };
        const QDir shipped(QStringLiteral(CORVANE_SHIPPED_REPORTS));
        const QStringList reports = shipped.entryList({QStringLiteral("*.rpt")});
        QVERIFY(reports.size() >= 9);
        for (const QString &file : reports) {
            const ReportDefinition def = ReportDefinitionParser::load(shipped.filePath(file));
            const QStringList x = rowsOfReport(def, {}),
                              y = rowsOfReport(def, onServer.serverDisplay());
            QVERIFY2(x.size() > 1, qPrintable(file));
            QVERIFY2(y == x, qPrintable(file + u' ' + QString::number(y.size()) + u' ' +
                                        QString::number(x.size())));
        }

        const qint64 before = StoreStatistics(onServer).figures().messages;
        for (const char *sql :
             {"DELETE FROM tMessage RETURNING mReg",
              "WITH d AS (DELETE FROM tMessage RETURNING mReg) SELECT * FROM d",
              "SELECT 1; DELETE FROM tMessage", "UPDATE ACARSLOG SET Flight = ''"}) {
            ReportQuery query(files.folder(), {}, onServer.serverDisplay());
            QVERIFY_THROWS_EXCEPTION(StoreError, {
                query.prepare(QString::fromLatin1(sql));
                query.next();
            });
        }
        QCOMPARE(StoreStatistics(onServer).figures().messages, before);
    }

    void reportSqlForTheServer_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("each marker")
            << "SELECT a FROM t WHERE r = :Reg AND f = @Flight OR x = $Reg"
            << QByteArray("SELECT a FROM t WHERE r = $1 AND f = $2 OR x = $1")
            << QStringList{"Reg", "Flight"};
        QTest::newRow("casts and quotes")
            << "SELECT a::text, ':No' FROM t WHERE b = :Day"
            << QByteArray("SELECT a::text, ':No' FROM t WHERE b = $1") << QStringList{"Day"};
        QTest::newRow("attached")
            << "SELECT r.ROUTE FROM routes.ROUTES AS r, ROUTES.x, myroutes.y WHERE r.F = :F"
            << QByteArray("SELECT r.ROUTE FROM ROUTES AS r, x, myroutes.y WHERE r.F = $1")
            << QStringList{"F"};
    }

    void reportSqlForTheServer()
    {
        QFETCH(QString, sql);
        QFETCH(QByteArray, server);
        QFETCH(QStringList, names);
        QStringList found;
        QCOMPARE(ServerReportQuery::serverSql(sql, {"routes"}, &found), server);
        QCOMPARE(found, names);
    }

    // One rule on both engines: one statement, which comments and
    // semicolons may follow; on a server no function that may change things,
    // however it is written, and a statement timeout on both.
    void reportQueryRules_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("onFiles");
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<int>("timeout");
        QTest::newRow("comment after")
            << "SELECT mReg FROM tMessage; -- by date" << true << true << 0;
        QTest::newRow("semicolons and a block") << "SELECT 1 AS a;; /* x */ ;" << true << true << 0;
        QTest::newRow("second statement") << "SELECT 1 AS a; SELECT 2" << false << false << 0;
        QTest::newRow("text like a call")
            << "SELECT 'pg_notify(' AS a -- pg_notify(" << true << true << 0;
        QTest::newRow("a harmless volatile") << "SELECT random() < 2 AS a" << true << true << 0;
        for (const char *call :
             {"pg_notify('x', 'y')", "pg_advisory_lock(1)", "pg_terminate_backend(0)",
              "\"pg_notify\"('x', 'y')", "pg_catalog . pg_notify /**/ ('x', 'y')",
              "query_to_xml('SELECT pg_notify(''x'', ''y'')', true, true, '')",
              "set_config('statement_timeout', '0', false)"})
            QTest::newRow(call) << QStringLiteral("SELECT %1 AS a").arg(QLatin1String(call))
                                << false << false << 0;
        // A backslash ends an E'' text's quote for the server only when it escapes it.
        QTest::newRow("escape string")
            << "SELECT E'\\'', pg_notify('x', 'y') AS a --'" << false << false << 0;
        QTest::newRow("never ends")
            << "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
               "SELECT count(*) AS a FROM c"
            << false << false << 1;
    }

    void reportQueryRules()
    {
        QFETCH(QString, sql);
        QFETCH(bool, onFiles);
        QFETCH(bool, onServer);
        QFETCH(int, timeout);
        const auto runs = [&](const QString &url) {
            try {
                ReportQuery query(files.folder(), {}, url, timeout);
                query.prepare(sql);
                while (query.next()) {
                }
                return true;
            } catch (const StoreError &) {
                return false;
            }
        };
        // Functions of the server's own are checked there only.
        if (!sql.contains(QLatin1String("pg_")) && !sql.contains(QLatin1String("set_config")) &&
            !sql.contains(QLatin1String("E'")))
            QCOMPARE(runs({}), onFiles);
        QCOMPARE(runs(this->onServer.serverDisplay()), onServer);
    }

    // A cancelled report's query is cancelled on the server too.
    void cancelledReportEndsOnTheServer()
    {
        ReportQuery query(files.folder(), {}, onServer.serverDisplay());
        query.prepare(QStringLiteral("SELECT count(*) AS n FROM generate_series(1, 10000000000)"));
        std::atomic_bool threw{false};
        std::thread run([&] {
            try {
                query.next();
            } catch (const StoreError &) {
                threw = true;
            }
        });
        PgConnection &watch = onServer.server();
        const auto running = [&] {
            return watch
                .query("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                       "AND pid <> pg_backend_pid() AND state = 'active'")
                .int64(0, 0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(running() == 1, 30000);
        query.interrupt();
        run.join();
        QVERIFY(threw);
        QTRY_VERIFY_WITH_TIMEOUT(running() == 0, 30000);
    }

    // How far an import read a log: listed part-way, then whole.
    void processedLogsReadPartWay()
    {
        for (Store *store : {&files, &onServer}) {
            ProcessedLogs logs(*store);
            const QString name = QStringLiteral("/logs/part.log");
            QVERIFY(!logs.entry(name).listed);
            logs.setRead(name, 120);
            logs.setRead(name, 250);
            ProcessedLogs::Entry e = logs.entry(name);
            QVERIFY(e.listed && !e.whole);
            QCOMPARE(e.recordsRead, 250);
            logs.setWhole(name);
            QVERIFY(logs.entry(name).whole);
            // Read again, part-way: the part-way listing is the one that counts.
            logs.setRead(name, 7);
            e = logs.entry(name);
            QVERIFY(!e.whole);
            QCOMPARE(e.recordsRead, 7);
            logs.setWhole(name);
            StoreStatement rows(*store, Schema::File::AcarsLog,
                                "SELECT count(*) FROM LOGSPROCESSED WHERE FileName = ? AND "
                                "RecordsRead IS NULL");
            rows.bind(1, name);
            QVERIFY(rows.step());
            QCOMPARE(rows.int64(0), 2);
        }
    }

    // Deleting messages and pairs leaves the same registers, counts and
    // messages on both; a pair named in other case is the same pair.
    void sameDeletions()
    {
        QStringList results;
        for (Store *store : {&files, &onServer}) {
            MessageDeletion deletion(*store);
            QString done;
            // The first message of its pair, messages within pairs, one
            // whose pair then goes, one already gone, one never there.
            for (qint64 id : {1, 450, 451, 2, 31, 1, 5000})
                done += deletion.deleteMessage(id) ? u'1' : u'0';
            done += deletion.deletePair("g-euua", "BA0001") ? u'1' : u'0';
            done += deletion.deletePair("G-EUUA", "BA0001") ? u'1' : u'0';
            done += deletion.deletePair("D-AIBC", "AF123") ? u'1' : u'0';
            results << done;
        }
        QCOMPARE(results[1], results[0]);
        QCOMPARE(results[0], QStringLiteral("1111100101"));
        sameRegisterRows();
        QCOMPARE(rowsOf(onServer, MessageView()), rowsOf(files, MessageView()));
        StoreStatistics s(files), t(onServer);
        QCOMPARE(t.figures().messages, s.figures().messages);
        QCOMPARE(t.figures().heardPairs, s.figures().heardPairs);
        QCOMPARE(t.figures().heardAircraft, s.figures().heardAircraft);
        for (int d = 1; d <= 5; ++d) {
            const QDate day(2026, 12, d);
            QCOMPARE(counts(t.perDay(day)), counts(s.perDay(day)));
            QCOMPARE(counts(t.topLabels(day)), counts(s.topLabels(day)));
        }
    }

    // Removing duplicates, first of the pairs in a view, then of all,
    // leaves the same messages and counts, as many as counted beforehand;
    // deleting all leaves nothing.
    void sameCleanups()
    {
        QStringList results;
        for (Store *store : {&files, &onServer}) {
            StoreCleanup cleanup(*store);
            for (const MessageView &view :
                 {MessageView::byRegistration("n123ab"), MessageView::all()}) {
                const StoreCleanup::Duplicates counted = cleanup.countDuplicates(view);
                const StoreCleanup::Duplicates d = cleanup.removeDuplicates(view);
                QCOMPARE(counted.removed, d.removed);
                QCOMPARE(counted.left, d.left);
                results << QStringLiteral("%1 %2").arg(d.removed).arg(d.left);
            }
        }
        QCOMPARE(results.mid(2), results.mid(0, 2));
        QVERIFY(!results[0].startsWith(u'0') && !results[1].startsWith(u'0'));
        QCOMPARE(rowsOf(onServer, MessageView()), rowsOf(files, MessageView()));
        StoreStatistics s(files), t(onServer);
        for (int d = 1; d <= 5; ++d) {
            const QDate day(2026, 12, d);
            QCOMPARE(counts(t.perDay(day)), counts(s.perDay(day)));
            QCOMPARE(counts(t.topLabels(day)), counts(s.topLabels(day)));
            QCOMPARE(counts(t.perHour(QDateTime(day, QTime(23, 0)))),
                     counts(s.perHour(QDateTime(day, QTime(23, 0)))));
        }
        sameRegisterRows();

        const qint64 left = StoreStatistics(files).figures().messages;
        QCOMPARE(StoreCleanup(files).deleteAllMessages(), left);
        QCOMPARE(StoreCleanup(onServer).deleteAllMessages(), left);
        QCOMPARE(StoreStatistics(onServer).figures().messages, qint64(0));
        QCOMPARE(StoreStatistics(onServer).figures().heardPairs, qint64(0));
        QCOMPARE(counts(StoreStatistics(onServer).topLabels(QDate(2026, 12, 1))), QStringList());
        QVERIFY(!StoreCleanup(onServer).needsCompacting());
    }

    // A NUL in a decoder's text is dropped alike by both (a server's text
    // cannot hold one).
    void sameTextWithoutNul()
    {
        QStringList stored;
        for (Store *store : {&files, &onServer}) {
            MessageRecord m = test::message("G-NULL", "BA0001", "06/12/2026 10:00");
            m.mText = QStringLiteral("BEFORE") + QChar(u'\0') + QStringLiteral("AFTER");
            m.mLabel = QStringLiteral("H") + QChar(u'\0');
            const auto recorder = Recorder::of(*store);
            QCOMPARE(recorder->storeMessage(m, nullptr), StoreResult::Stored);
            recorder->commitBatch();
            for (const QString &row : rowsOf(*store, MessageView::byRegistration("G-NULL")))
                stored << row.section(u'|', 1);
        }
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[1], stored[0]);
        QVERIFY(stored[0].contains("BEFOREAFTER"));
        QVERIFY(!stored[0].contains(QChar(u'\0')));
    }

    void markersNumberedOutsideQuotes_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QByteArray>("numbered");
        QTest::addColumn<int>("count");
        QTest::newRow("bare") << QByteArray("a = ? AND b = ?") << QByteArray("a = $1 AND b = $2")
                              << 2;
        QTest::newRow("named") << QByteArray("a >= ?1 AND (?2 IS NULL OR a < ?2)")
                               << QByteArray("a >= $1 AND ($2 IS NULL OR a < $2)") << 2;
        QTest::newRow("bare after named")
            << QByteArray("?2 = x OR ?") << QByteArray("$2 = x OR $3") << 3;
        QTest::newRow("quoted") << QByteArray("'?' = ? AND \"Heard?\" = ?")
                                << QByteArray("'?' = $1 AND \"Heard?\" = $2") << 2;
        QTest::newRow("doubled quote")
            << QByteArray("'it''s ?' || ?") << QByteArray("'it''s ?' || $1") << 1;
    }

    void markersNumberedOutsideQuotes()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QByteArray, numbered);
        QFETCH(int, count);
        int found = 0;
        QCOMPARE(StoreStatement::numberedMarkers(sql, &found), numbered);
        QCOMPARE(found, count);
    }
};

QTEST_GUILESS_MAIN(BothEnginesTest)
#include "TestBothEngines.moc"
