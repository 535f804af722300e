#include "store/LabelMeanings.h"
#include "store/MessageSearch.h"
#include "store/MessageSearchIndex.h"
#include "store/MessageView.h"
#include "store/PgConnection.h"
#include "store/PgSchema.h"
#include "store/SchemaDeclarations.h"
#include "store/ServerSearch.h"
#include "store/ServerUrl.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreCopy.h"
#include "store/StoreError.h"
#include "support/CommandRun.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QtTest>

using namespace corvane;

namespace
{

// Every table of a store, each row with its rowid and every value quoted
// with its type, so a copy that turns 1 into '1' or NULL into '' differs.
QStringList dump(Store &store)
{
    QStringList out;
    for (Schema::File file : Schema::kFiles) {
        for (const TableDeclaration &table :
             SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion)) {
            QByteArray columns = SchemaDeclarations::hasImplicitRowId(table) ? "rowid" : "'-'";
            QByteArray order = "1";
            for (const ColumnDeclaration &c : table.columns) {
                columns += ", quote(" + SchemaDeclarations::identifier(c.name) + ")";
                order += ", " + QByteArray::number(order.count(',') + 2);
            }
            SqliteStatement st(store.db(file),
                               ("SELECT " + columns + " FROM " +
                                SchemaDeclarations::identifier(table.name) + " ORDER BY " + order)
                                   .constData());
            while (st.step()) {
                QStringList cols{QString::fromLatin1(table.name)};
                for (int i = 0; i < st.columnCount(); ++i)
                    cols << st.text(i);
                out << cols.join(u'|');
            }
        }
    }
    return out;
}

qint64 count(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    return st.step() ? st.int64(0) : -1;
}

// Rows in every table, with the values a copy is likeliest to bend: COPY's
// escapes, NULL against the empty text, doubles, large integers, gaps in
// the rowids that the decoder details refer to.
void fill(Store &store)
{
    SqliteDb &log = store.acarsLog();
    SqliteStatement message(log, "INSERT INTO tMessage (rowid, mTime, mMode, mReg, mLabel, mBlk, "
                                 "mNo, mFlight, mText, mFileName, mType) "
                                 "VALUES (?, ?, '2', ?, 'H1', '1', 'M01A', ?, ?, ?, 'ACARS')");
    const QStringList texts = {QStringLiteral("POSREP N51W020 tab\there"),
                               QStringLiteral("line one\r\nline two"),
                               QStringLiteral("back\\slash and \\N literal"),
                               QStringLiteral("Zürich ✈ 東京"),
                               QString(),
                               QStringLiteral("")};
    for (int i = 0; i < 12000; ++i) {
        message.bind(1, qint64(i * 3 + 7));
        message.bind(2, QStringLiteral("2026-12-%1 10:%2:00")
                            .arg(1 + i % 28, 2, 10, QChar(u'0'))
                            .arg(i % 60, 2, 10, QChar(u'0')));
        message.bind(3, QStringLiteral(".G-AB%1").arg(i % 40));
        message.bind(4, QStringLiteral("BA%1").arg(i % 90));
        message.bindVariant(5, texts[i % texts.size()].isNull() && i % texts.size() == 4
                                   ? QVariant()
                                   : QVariant(texts[i % texts.size()] + QString::number(i)));
        message.bind(6, QStringLiteral("log %1.txt").arg(i % 5));
        message.run();
    }
    log.exec("INSERT INTO FeedDetails VALUES (7, 'dumpvdl2', 'ROOF', 136.975, -21.5), "
             "(10, 'acarsdec', NULL, 0.1, 1e-300)");
    log.exec(
        "INSERT INTO ACARSLOG (Registration, Flight, FirstHeard, LastHeard, TimesHeard) "
        "VALUES ('.G-AB1', 'BA1', '2026-12-01 10:00:00', '2026-12-02 10:00:00', 9007199254740993)");
    log.exec("INSERT INTO UniqueAircraft VALUES ('.G-AB1', '2026-12-01', '2026-12-02', 3)");
    log.exec("INSERT INTO LOGSPROCESSED (FileName) VALUES ('/var/log/acars/a.txt')");
    log.exec("INSERT INTO AIRCRAFT VALUES ('G-AB1', 'A320', 'BAW', NULL, 1), "
             "('N1', '', 'AAL', '123', 0)");
    log.exec("INSERT INTO CARRIERS VALUES (5, 'BAW', 'BA', 'British'), (900, 'AAL', 'AA', 'Am')");
    log.exec("INSERT INTO MessagesByHour VALUES ('2026-12-01 10', 4)");
    log.exec("INSERT INTO MessagesByLabel VALUES ('2026-12-01', 'H1', 4)");
    log.exec("INSERT INTO MessagesByRegistration VALUES ('2026-12-01', '.G-AB1', 4)");
    store.routes().exec("INSERT INTO ROUTES VALUES ('BA1', 'LHR-JFK')");
    store.alerts().exec("INSERT INTO ALERTS VALUES ('2026-12-01 10:00:00', 'G-AB1', 'seen')");
    store.alerts().exec("DELETE FROM LABELS");
    store.alerts().exec(
        "INSERT INTO LABELS VALUES ('H1', 'Message to/from terminal'), ('_d', NULL)");
}

} // namespace

class TestStoreCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addresses_data();
    void addresses();
    void copiesThereAndBackUnchanged();
    void refusesATargetThatHoldsRows();
    void cancelLeavesTheTargetAsItWas();
    void serverSchemaIsMadeOnce();
    void serverSearchFindsWhatTheFilesFind();
    void unreachableServerIsNamed();
    void commandCopies();

private:
    void needServer();

    test::TestEnvironment m_env;
    std::unique_ptr<test::ThrowawayServer> m_server;
};

void TestStoreCopy::initTestCase()
{
    m_server = std::make_unique<test::ThrowawayServer>();
}

void TestStoreCopy::needServer()
{
    if (!m_server->isRunning())
        QSKIP(qPrintable(m_server->whyNot()));
}

void TestStoreCopy::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("display"); // empty: refused
    QTest::addColumn<QString>("fault");
    QTest::newRow("full") << "postgresql://ann@db.example:5432/acars"
                          << "postgresql://ann@db.example:5432/acars"
                          << "";
    QTest::newRow("short scheme") << "postgres://db/acars"
                                  << "postgresql://db/acars"
                                  << "";
    QTest::newRow("socket folder") << "postgresql://%2Frun%2Fpostgresql/acars"
                                   << "postgresql://%2Frun%2Fpostgresql/acars"
                                   << "";
    QTest::newRow("ipv6") << "postgresql://[::1]:5433/acars"
                          << "postgresql://[::1]:5433/acars"
                          << "";
    QTest::newRow("password") << "postgresql://ann:s3cret@db/acars"
                              << ""
                              << "may not hold a password";
    QTest::newRow("no database") << "postgresql://db/"
                                 << ""
                                 << "no database";
    QTest::newRow("bad port") << "postgresql://db:99999/acars"
                              << ""
                              << "99999";
    QTest::newRow("no host") << "postgresql:///acars"
                             << ""
                             << "no host";
    QTest::newRow("empty port") << "postgresql://db:/acars"
                                << ""
                                << "port ''";
    QTest::newRow("colon in host") << "postgresql://db%3A1:5/acars"
                                   << ""
                                   << "IPv6";
    QTest::newRow("unclosed ipv6") << "postgresql://[::1:5/acars"
                                   << ""
                                   << "IPv6";
    QTest::newRow("control character") << "postgresql://db/ac%00ars"
                                       << ""
                                       << "control";
    QTest::newRow("options") << "postgresql://db/acars?sslmode=disable"
                             << ""
                             << "options";
    QTest::newRow("other scheme") << "mysql://db/acars"
                                  << ""
                                  << "postgresql://";
}

void TestStoreCopy::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, display);
    QFETCH(QString, fault);
    try {
        const ServerUrl url = ServerUrl::parse(text);
        QVERIFY2(!display.isEmpty(), "taken where it should be refused");
        QCOMPARE(url.display(), display);
    } catch (const StoreError &e) {
        QVERIFY2(display.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(fault), qPrintable(e.message()));
        QVERIFY(!e.message().contains(QLatin1String("s3cret")));
    }
}

void TestStoreCopy::copiesThereAndBackUnchanged()
{
    needServer();
    Store source;
    source.open(m_env.newDataDir());
    fill(source);
    const QStringList before = dump(source);

    PgConnection server;
    server.open(ServerUrl::parse(m_server->newDatabase()));
    StoreCopy there(source);
    qint64 lastDone = 0, total = 0;
    QVERIFY(there.toServer(server, [&](const QString &, qint64 done, qint64 all) {
        lastDone = done;
        total = all;
        return true;
    }));
    QCOMPARE(there.rowsCopied(), qint64(before.size()));
    QCOMPARE(lastDone, total);
    // The server compares registrations as the files do, and numbers the next message on.
    QCOMPARE(server.query("SELECT count(*) FROM tMessage WHERE mReg = '.g-ab1'").int64(0, 0), 300);
    QCOMPARE(
        server.query("INSERT INTO tMessage (mText) VALUES ('new') RETURNING rowid").int64(0, 0),
        qint64(11999 * 3 + 7 + 1));
    server.exec("DELETE FROM tMessage WHERE mText = 'new'");

    Store back;
    back.open(m_env.newDataDir());
    StoreCopy home(back);
    QVERIFY(home.fromServer(server));
    const QStringList after = dump(back);
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        QCOMPARE(after[i], before[i]);
    // The copy's search index is whole.
    QCOMPARE(count(back.acarsLog(), "SELECT count(*) FROM MessageSearch WHERE MessageSearch "
                                    "MATCH '\"Zür\" \"üri\" \"ric\"'"),
             2000);
}

void TestStoreCopy::refusesATargetThatHoldsRows()
{
    needServer();
    Store source;
    source.open(m_env.newDataDir());
    fill(source);
    PgConnection server;
    server.open(ServerUrl::parse(m_server->newDatabase()));
    QVERIFY(StoreCopy(source).toServer(server));
    try {
        StoreCopy(source).toServer(server);
        QFAIL("copied into a filled database");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().contains(QLatin1String("already holds rows")),
                 qPrintable(e.message()));
    }
    QCOMPARE(server.query("SELECT count(*) FROM tMessage").int64(0, 0), 12000);

    // A store that holds messages is not overwritten from the server either.
    try {
        StoreCopy(source).fromServer(server);
        QFAIL("copied over a filled store");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().contains(source.folder()), qPrintable(e.message()));
    }
    QCOMPARE(count(source.acarsLog(), "SELECT count(*) FROM tMessage"), 12000);
}

void TestStoreCopy::cancelLeavesTheTargetAsItWas()
{
    needServer();
    Store source;
    source.open(m_env.newDataDir());
    fill(source);
    PgConnection server;
    server.open(ServerUrl::parse(m_server->newDatabase()));
    const auto stopMidway = [](const QString &, qint64 done, qint64) { return done < 6000; };
    QVERIFY(!StoreCopy(source).toServer(server, stopMidway));
    QCOMPARE(server.query("SELECT count(*) FROM tMessage").int64(0, 0), 0);
    // What stays is the new store the copy made: the common labels only.
    QCOMPARE(server.query("SELECT count(*) FROM LABELS").int64(0, 0),
             qint64(LabelMeanings::common().size()));

    QVERIFY(StoreCopy(source).toServer(server));
    Store back;
    back.open(m_env.newDataDir());
    const qint64 labels = count(back.alerts(), "SELECT count(*) FROM LABELS");
    QVERIFY(labels > 100);
    QVERIFY(!StoreCopy(back).fromServer(server, stopMidway));
    QCOMPARE(count(back.acarsLog(), "SELECT count(*) FROM tMessage"), 0);
    QCOMPARE(count(back.alerts(), "SELECT count(*) FROM LABELS"), labels);
    // Nothing was left locked or half-done: the copy goes through afterwards.
    QVERIFY(StoreCopy(back).fromServer(server));
    QCOMPARE(dump(back), dump(source));
}

void TestStoreCopy::serverSchemaIsMadeOnce()
{
    needServer();
    PgConnection server;
    server.open(ServerUrl::parse(m_server->newDatabase()));
    QCOMPARE(PgSchema::version(server), -1);
    PgSchema::ensure(server);
    PgSchema::ensure(server);
    QCOMPARE(PgSchema::version(server), Schema::kCurrentVersion);
    // A new store starts with the common labels' meanings, once, found
    // without regard to case.
    QCOMPARE(server.query("SELECT count(*) FROM LABELS").int64(0, 0),
             qint64(LabelMeanings::common().size()));
    QCOMPARE(server.query("SELECT count(*) FROM LABELS WHERE CODE = 'sq'").int64(0, 0), 1);
    // Registrations are keys compared without regard to case, as in the files.
    server.exec("INSERT INTO UniqueAircraft (Registration) VALUES ('G-ABCD')");
    QCOMPARE(server.query("SELECT count(*) FROM UniqueAircraft WHERE Registration = 'g-abcd'")
                 .int64(0, 0),
             1);

    PgConnection other;
    other.open(ServerUrl::parse(m_server->newDatabase()));
    other.exec("CREATE TABLE tMessage (x integer)");
    try {
        PgSchema::ensure(other);
        QFAIL("took a database that is not a store");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().contains(QLatin1String("not an ACARS Corvane store")),
                 qPrintable(e.message()));
    }
    other.exec("DROP TABLE tMessage");
    other.exec("CREATE TABLE StoreVersion (Version integer); INSERT INTO StoreVersion VALUES (99)");
    try {
        PgSchema::ensure(other);
        QFAIL("took a store of a newer version");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().contains(QLatin1String("newer version")), qPrintable(e.message()));
    }
}

void TestStoreCopy::serverSearchFindsWhatTheFilesFind()
{
    needServer();
    Store files;
    files.open(m_env.newDataDir());
    fill(files);
    SqliteStatement odd(files.acarsLog(),
                        "INSERT INTO tMessage (mTime, mReg, mFlight, mLabel, "
                        "mText) VALUES ('2026-12-29 00:00:00', ?, 'X1', '5Z', ?)");
    for (const char *text : {"100% done", "a_b c", "RWY 27L", "rwy27l", "Rwy ÄRWY"}) {
        odd.bind(1, QByteArray("N") + text);
        odd.bind(2, QByteArray(text));
        odd.run();
    }
    // The rows went in around the recorder: its index is made afresh.
    MessageSearchIndex(files.acarsLog()).rebuild();
    PgConnection server;
    server.open(ServerUrl::parse(m_server->newDatabase()));
    QVERIFY(StoreCopy(files).toServer(server));
    const QStringList texts = {"posrep", "N51W", "\\N lit", "ürich", "東京", "one\r\nline", "%",
                               "_",      "a_b",  "100%",    "rwy",   "27l",  "Ärwy",        "äRWY",
                               ".g-ab1", "BA8",  "h1",      "5z",    "zzz"};
    for (const QString &text : texts) {
        for (qint64 limit : {qint64(0), qint64(10)}) {
            std::vector<qint64> expected;
            for (const MessageRow &row :
                 MessageSearch::find(files, MessageView::all().withSearch(text), limit))
                expected.push_back(row.rowid);
            const std::vector<qint64> found = ServerSearch::find(server, text, limit);
            QVERIFY2(found == expected, qPrintable(QStringLiteral("%1 (limit %2): %3 hits, not %4")
                                                       .arg(text)
                                                       .arg(limit)
                                                       .arg(found.size())
                                                       .arg(expected.size())));
        }
    }
    QVERIFY(ServerSearch::find(server, QStringLiteral("rwy"), 0).size() == 3);
    // Within a filter: one registration or flight (either case), some days.
    const MessageView filters[] = {MessageView::byRegistration(QStringLiteral(".g-ab7")),
                                   MessageView::byFlight(QStringLiteral("BA8")),
                                   MessageView::byDate(QDate(2026, 12, 3), QDate(2026, 12, 4))};
    for (const MessageView &filter : filters) {
        size_t found = 0;
        for (const QString &text :
             {QStringLiteral("slash"), QStringLiteral("LINE"), QStringLiteral("8")}) {
            std::vector<qint64> expected;
            for (const MessageRow &row : MessageSearch::find(files, filter.withSearch(text), 25))
                expected.push_back(row.rowid);
            found += expected.size();
            QCOMPARE(ServerSearch::find(server, filter.withSearch(text), 25), expected);
        }
        QVERIFY(found > 0);
    }
    // The hits' rows come back in the grid's columns, in the hits' order.
    const std::vector<qint64> hits = ServerSearch::find(server, QStringLiteral("zürich"), 3);
    const std::vector<MessageRow> rows = ServerSearch::rows(server, hits);
    QCOMPARE(rows.size(), size_t(3));
    for (size_t i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].rowid, hits[i]);
        QVERIFY(rows[i].fields[MessageView::Text].startsWith(QStringLiteral("Zürich ✈ 東京")));
        QVERIFY(rows[i].fields[MessageView::Reg].startsWith(QStringLiteral(".G-AB")));
    }
}

void TestStoreCopy::unreachableServerIsNamed()
{
    PgConnection server;
    const QString url = QStringLiteral("postgresql://ann@%2Fnonexistent%2Fsocket:5999/acars");
    try {
        server.open(ServerUrl::parse(url));
        QFAIL("reached a server that is not there");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().startsWith(QLatin1String("Cannot reach the store ") + url),
                 qPrintable(e.message()));
    }
}

void TestStoreCopy::commandCopies()
{
    needServer();
    test::CommandRun corvane;
    corvane.dataDir = m_env.newDataDir();
    {
        Store store;
        store.open(corvane.dataDir);
        fill(store);
    }
    const QString url = m_server->newDatabase();
    QCOMPARE(corvane({"store", "copy", "--to", url}), 0);
    QVERIFY2(corvane.out.startsWith(QLatin1String("copied ")), qPrintable(corvane.out));
    QVERIFY(corvane.out.contains(QLatin1String(" tables to ") + url));

    test::CommandRun elsewhere;
    elsewhere.dataDir = m_env.newDataDir();
    QCOMPARE(elsewhere({"store", "copy", "--from", url}), 0);
    QCOMPARE(elsewhere.out, corvane.out.replace(QLatin1String(" to "), QLatin1String(" from ")));
    QCOMPARE(elsewhere({"store", "copy", "--from", url}), 1);
    QVERIFY2(elsewhere.err.contains(QLatin1String("already holds rows")),
             qPrintable(elsewhere.err));

    QCOMPARE(elsewhere({"store", "copy", "--to"}), 2);
    QCOMPARE(elsewhere({"store", "copy", "--to", "postgresql://ann:pw@db/x"}), 1);
    QVERIFY(elsewhere.err.contains(QLatin1String("PGPASSWORD")));
}

QTEST_GUILESS_MAIN(TestStoreCopy)
#include "TestStoreCopy.moc"
