#include "store/NamedCommands.h"
#include "store/SchemaDeclarations.h"
#include "store/SqliteDb.h"
#include "store/SqliteTableSql.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>
#include <algorithm>

using namespace corvane;

class TestStoreSchema : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

    static void eachFile()
    {
        QTest::addColumn<Schema::File>("file");
        for (Schema::File file : Schema::kFiles)
            QTest::newRow(qPrintable(Schema::fileName(file))) << file;
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QByteArray quoted(const char *name) { return '"' + QByteArray(name) + '"'; }

    // A file as the declarations stood at a version, carrying the given user_version.
    static void writeFileAt(const QString &path, Schema::File file, int version, int userVersion)
    {
        SqliteDb db;
        db.open(path);
        db.exec(SqliteTableSql::createStatements(file, version).constData());
        db.setUserVersion(userVersion);
    }

    // One row per table, every column set: text columns to "table.column", others to numbers.
    static void fillEveryTable(SqliteDb &db, Schema::File file, int version)
    {
        for (const TableDeclaration &table : SchemaDeclarations::tablesAt(file, version)) {
            QByteArrayList names, marks;
            for (const ColumnDeclaration &column : table.columns) {
                names << quoted(column.name);
                marks << "?";
            }
            SqliteStatement insert(db, "INSERT INTO " + quoted(table.name) + " (" +
                                           names.join(", ") + ") VALUES (" + marks.join(", ") +
                                           ')');
            for (int i = 0; i < int(table.columns.size()); ++i) {
                const ColumnDeclaration &column = table.columns[size_t(i)];
                if (QByteArray(column.type) == "INTEGER")
                    insert.bind(i + 1, qint64(i + 7));
                else
                    insert.bind(i + 1, QStringLiteral("%1.%2").arg(table.name, column.name));
            }
            insert.run();
        }
    }

    // The rows of the tables as they stood at a version, in those columns.
    static QStringList rowsOf(SqliteDb &db, Schema::File file, int version)
    {
        QStringList rows;
        for (const TableDeclaration &table : SchemaDeclarations::tablesAt(file, version)) {
            QByteArrayList names;
            for (const ColumnDeclaration &column : table.columns)
                names << quoted(column.name);
            // Tables kept in key order have no rowid.
            QByteArrayList order;
            for (const char *key : table.primaryKey)
                order << quoted(key);
            if (order.isEmpty())
                order << "rowid";
            SqliteStatement select(db, "SELECT " + names.join(", ") + " FROM " +
                                           quoted(table.name) + " ORDER BY " + order.join(", "));
            while (select.step()) {
                QStringList values;
                for (int i = 0; i < select.columnCount(); ++i)
                    values << select.value(i).toString();
                rows << QString::fromLatin1(table.name) + u':' + values.join(u'|');
            }
        }
        return rows;
    }

    // Tables, columns (type, collation, not null, default, key) and indexes with their columns.
    static QStringList shapeOf(SqliteDb &db)
    {
        QStringList shape;
        SqliteStatement tables(db, "SELECT name FROM sqlite_master WHERE type = 'table' "
                                   "AND name NOT LIKE 'sqlite%' ORDER BY name");
        while (tables.step()) {
            const QString table = tables.text(0);
            shape << QStringLiteral("table ") + table;
            SqliteStatement columns(db, "SELECT name, type, \"notnull\", dflt_value, pk "
                                        "FROM pragma_table_info(?) ORDER BY cid");
            columns.bind(1, table);
            while (columns.step())
                shape << QStringLiteral("  column %1 %2 notnull=%3 default=%4 pk=%5 collate=%6")
                             .arg(columns.text(0), columns.text(1), columns.text(2),
                                  columns.isNull(3) ? u"-"_qs : columns.text(3), columns.text(4),
                                  collationOf(db, table, columns.text(0)));
            SqliteStatement indexes(db, "SELECT name, \"unique\", origin, partial "
                                        "FROM pragma_index_list(?) ORDER BY name");
            indexes.bind(1, table);
            while (indexes.step()) {
                shape << QStringLiteral("  index %1 unique=%2 origin=%3 partial=%4")
                             .arg(indexes.text(0), indexes.text(1), indexes.text(2),
                                  indexes.text(3));
                SqliteStatement keys(db, "SELECT name, \"desc\", coll FROM pragma_index_xinfo(?) "
                                         "WHERE key ORDER BY seqno");
                keys.bind(1, indexes.text(0));
                while (keys.step())
                    shape << QStringLiteral("    on %1 desc=%2 collate=%3")
                                 .arg(keys.text(0), keys.text(1), keys.text(2));
            }
        }
        SqliteStatement others(db, "SELECT type, name, tbl_name FROM sqlite_master "
                                   "WHERE type IN ('view', 'trigger') ORDER BY name");
        while (others.step())
            shape << others.text(0) + u' ' + others.text(1) + QStringLiteral(" on ") +
                         others.text(2);
        return shape;
    }

    // Lines one shape lacks ("-") or adds ("+") against the other; empty when only order differs.
    static QStringList differences(const QStringList &actual, const QStringList &expected)
    {
        QStringList lines;
        for (const QString &line : expected)
            if (!actual.contains(line))
                lines << u'-' + line;
        for (const QString &line : actual)
            if (!expected.contains(line))
                lines << u'+' + line;
        return lines;
    }

    static void compareShapes(SqliteDb &actual, SqliteDb &expected)
    {
        const QStringList have = shapeOf(actual);
        const QStringList want = shapeOf(expected);
        const QStringList diff = differences(have, want);
        QVERIFY2(diff.isEmpty(), qPrintable(diff.join(u'\n')));
        QCOMPARE(have, want);
    }

    static QString collationOf(SqliteDb &db, const QString &table, const QString &column)
    {
        const char *collation = nullptr;
        if (sqlite3_table_column_metadata(db.handle(), "main", table.toUtf8().constData(),
                                          column.toUtf8().constData(), nullptr, &collation, nullptr,
                                          nullptr, nullptr) != SQLITE_OK)
            return QStringLiteral("?");
        return QString::fromUtf8(collation);
    }

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

    void refusesAnotherSqliteDatabaseUnchanged_data()
    {
        QTest::addColumn<Schema::File>("file");
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("why");
        const QString notOurs = QStringLiteral("is not an ACARS Corvane database");
        const QString missing = QStringLiteral("is missing tables or columns");
        QTest::newRow("another program's table")
            << Schema::File::AcarsLog << QByteArray("CREATE TABLE photos (id INTEGER)") << 0
            << notOurs;
        QTest::newRow("one of our tables only")
            << Schema::File::AcarsLog << QByteArray("CREATE TABLE tMessage (mTime TEXT)") << 0
            << notOurs;
        QTest::newRow("unversioned table short of a column")
            << Schema::File::Routes << QByteArray("CREATE TABLE ROUTES (FLIGHT TEXT)") << 0
            << notOurs;
        QTest::newRow("current version short of a column")
            << Schema::File::Alerts
            << QByteArray("CREATE TABLE ALERTS (DATETIME TEXT, ALERT TEXT, MESSAGE TEXT);"
                          "CREATE TABLE LABELS (CODE TEXT)")
            << Schema::kCurrentVersion << missing;
    }
    void refusesAnotherSqliteDatabaseUnchanged()
    {
        QFETCH(Schema::File, file);
        QFETCH(QByteArray, sql);
        QFETCH(int, version);
        QFETCH(QString, why);
        const QString dir = env.newDataDir();
        const QString path = dir + u'/' + Schema::fileName(file);
        {
            SqliteDb other;
            other.open(path);
            other.exec(sql.constData());
            other.setUserVersion(version);
        }
        const QByteArray before = bytesOf(path);
        Store store;
        try {
            store.open(dir);
            QFAIL("a foreign database was accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(why) && e.message().contains(Schema::fileName(file)),
                     qPrintable(e.message()));
        }
        QCOMPARE(bytesOf(path), before);
    }

    void refusesANewerVersionUnchanged_data() { eachFile(); }
    void refusesANewerVersionUnchanged()
    {
        QFETCH(Schema::File, file);
        const QString dir = env.newDataDir();
        const QString path = dir + u'/' + Schema::fileName(file);
        writeFileAt(path, file, Schema::kCurrentVersion, Schema::kCurrentVersion + 1);
        const QByteArray before = bytesOf(path);
        Store store;
        try {
            store.open(dir);
            QFAIL("a newer file was accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("newer version")) &&
                         e.message().contains(Schema::fileName(file)),
                     qPrintable(e.message()));
        }
        QCOMPARE(bytesOf(path), before);
        QVERIFY(!store.isOpen());
    }

    // Each earlier version is built from the declarations as they stood then.
    void upgradesEveryEarlierVersionToANewStore_data()
    {
        QTest::addColumn<Schema::File>("file");
        QTest::addColumn<int>("version");
        for (Schema::File file : Schema::kFiles)
            for (int version = 0; version < Schema::kCurrentVersion; ++version)
                QTest::addRow("%s from %d", qPrintable(Schema::fileName(file)), version)
                    << file << version;
    }
    void upgradesEveryEarlierVersionToANewStore()
    {
        QFETCH(Schema::File, file);
        QFETCH(int, version);
        const QString dir = env.newDataDir();
        const QString path = dir + u'/' + Schema::fileName(file);
        writeFileAt(path, file, version, version);
        QStringList rows;
        {
            SqliteDb old;
            old.open(path);
            fillEveryTable(old, file, version);
            rows = rowsOf(old, file, version);
        }
        Store upgraded;
        upgraded.open(dir);
        Store fresh;
        fresh.open(env.newDataDir());
        QCOMPARE(upgraded.db(file).userVersion(), Schema::kCurrentVersion);
        compareShapes(upgraded.db(file), fresh.db(file));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(rowsOf(upgraded.db(file), file, version), rows);
    }

    // Earlier releases adopted unversioned files without some of the indexes.
    void addsIndexesMissingFromACurrentFile_data() { eachFile(); }
    void addsIndexesMissingFromACurrentFile()
    {
        QFETCH(Schema::File, file);
        const QString dir = env.newDataDir();
        const QString path = dir + u'/' + Schema::fileName(file);
        writeFileAt(path, file, Schema::kCurrentVersion, Schema::kCurrentVersion);
        {
            SqliteDb db;
            db.open(path);
            for (const IndexDeclaration &index :
                 SchemaDeclarations::indexesAt(file, Schema::kCurrentVersion))
                db.exec(QByteArray("DROP INDEX ") + index.name);
        }
        Store store;
        store.open(dir);
        Store fresh;
        fresh.open(env.newDataDir());
        compareShapes(store.db(file), fresh.db(file));
    }

    // A step that is not reached by kCurrentVersion would never be applied.
    void declarationStepsRiseToTheCurrentVersion()
    {
        int highest = 0;
        for (Schema::File file : Schema::kFiles) {
            int previous = -1;
            for (const SchemaStep &step : SchemaDeclarations::steps(file)) {
                QVERIFY2(step.version > previous, qPrintable(Schema::fileName(file)));
                QVERIFY2(step.version <= Schema::kCurrentVersion,
                         qPrintable(Schema::fileName(file)));
                previous = step.version;
            }
            QCOMPARE(SchemaDeclarations::steps(file).front().version, 0);
            highest = std::max(highest, previous);
        }
        QCOMPARE(highest, Schema::kCurrentVersion);
    }

    // Declared names go into both engines' statements bare unless they hold
    // other characters than letters, digits and underscores: none may be a
    // keyword.
    void declaredNamesAreNoKeywords()
    {
        QByteArrayList names;
        for (Schema::File file : Schema::kFiles) {
            for (const TableDeclaration &table :
                 SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion)) {
                names << table.name;
                for (const ColumnDeclaration &column : table.columns)
                    names << column.name;
            }
            for (const IndexDeclaration &index :
                 SchemaDeclarations::indexesAt(file, Schema::kCurrentVersion))
                names << index.name;
        }
        for (const QByteArray &name : std::as_const(names))
            QVERIFY2(!sqlite3_keyword_check(name.constData(), int(name.size())), name.constData());
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
