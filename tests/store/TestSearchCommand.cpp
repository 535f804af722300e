#include "cli/CommandLine.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/SqliteTableSql.h"
#include "store/Store.h"
#include "support/CommandRun.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace corvane;
using corvane::test::message;

// `corvane search`: its lines, its CSV, its filters and its exit statuses.
class TestSearchCommand : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    test::CommandRun run;
    QString &dataDir = run.dataDir;
    const QString &out = run.out;
    const QString &err = run.err;

    static void record(MessageRecorder &recorder, const char *reg, const char *flight,
                       const char *time, const char *text)
    {
        MessageRecord r = message(QLatin1String(reg), QLatin1String(flight), QLatin1String(time));
        r.mText = QString::fromUtf8(text);
        QCOMPARE(recorder.storeMessage(r, nullptr), StoreResult::Stored);
    }

private slots:
    void initTestCase()
    {
        dataDir = env.newDataDir();
        Store store;
        store.open(dataDir);
        MessageRecorder recorder(store);
        // Stored out of time order, as an import of older logs does.
        record(recorder, "G-EUPA", "BA0001", "07/12/2026 10:00", "POSN51234W001234\r\nSECOND");
        record(recorder, "D-ABCD", "LH0400", "05/12/2026 09:00", "posn in lower case");
        record(recorder, "G-EUPA", "BA0002", "06/12/2026 23:59", "POS\tN, \"quoted\"");
        record(recorder, "N123AB", "UA0901", "08/12/2026 00:00", "NOTHING TO SEE");
        record(recorder, "N456CD", "UA0902", "09/12/2026 00:00",
               "HOSTILE \x1b[2J\x1b]0;owned\x07 \xc2\x9b"
               "31m \xe2\x80\xaeRTL\x7f\r\nNEXT");
        recorder.commitBatch();
    }

    void linesNewestFirst()
    {
        QCOMPARE(run({"search", "Posn"}), int(ExitOk));
        QCOMPARE(out,
                 QStringLiteral("2026-12-07 10:00:00\tG-EUPA\tBA0001\tH1\tPOSN51234W001234\n"
                                "2026-12-05 09:00:00\tD-ABCD\tLH0400\tH1\tposn in lower case\n"));
        QCOMPARE(err, QString());
        // A tab inside a field cannot shift the columns.
        QCOMPARE(run({"search", "\"quoted\""}), int(ExitOk));
        QCOMPARE(out,
                 QStringLiteral("2026-12-06 23:59:00\tG-EUPA\tBA0002\tH1\tPOS N, \"quoted\"\n"));
    }

    void controlCharactersEscapedOutsideCsv()
    {
        QCOMPARE(run({"search", "HOSTILE"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("2026-12-09 00:00:00\tN456CD\tUA0902\tH1\tHOSTILE "
                                     "\\x1b[2J\\x1b]0;owned\\x07 \\x9b31m \\u202eRTL\\x7f\n"));
        QCOMPARE(run({"search", "HOSTILE", "--csv"}), int(ExitOk));
        QVERIFY(out.contains(QString::fromUtf8("HOSTILE \x1b[2J\x1b]0;owned\x07 \xc2\x9b"
                                               "31m \xe2\x80\xaeRTL\x7f\r\nNEXT")));
    }

    void filtersAndLimits_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("times");
        QTest::newRow("default limit")
            << QStringList{"POS"} << QStringList{"2026-12-07", "2026-12-06", "2026-12-05"};
        QTest::newRow("limit") << QStringList{"POS", "--limit", "2"}
                               << QStringList{"2026-12-07", "2026-12-06"};
        QTest::newRow("limit 0 for all") << QStringList{"--limit", "0", "POS"}
                                         << QStringList{"2026-12-07", "2026-12-06", "2026-12-05"};
        QTest::newRow("registration")
            << QStringList{"POS", "--reg", "g-eupa"} << QStringList{"2026-12-07", "2026-12-06"};
        QTest::newRow("flight") << QStringList{"POS", "--flight", "LH0400"}
                                << QStringList{"2026-12-05"};
        QTest::newRow("days") << QStringList{"POS", "--from", "2026-12-05", "--to", "2026-12-06"}
                              << QStringList{"2026-12-06", "2026-12-05"};
        QTest::newRow("registration field") << QStringList{"n123"} << QStringList{"2026-12-08"};
        QTest::newRow("short text scans") << QStringList{"\""} << QStringList{"2026-12-06"};
        QTest::newRow("text after --") << QStringList{"--", "--x"} << QStringList{};
    }
    void filtersAndLimits()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, times);
        const int status = run(QStringList{"search"} + args);
        QCOMPARE(status, int(times.isEmpty() ? ExitFailure : ExitOk));
        QStringList got;
        for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
            got << line.left(10);
        QCOMPARE(got, times);
    }

    void csvHoldsTheWholeText()
    {
        QCOMPARE(run({"search", "SECOND", "--csv"}), int(ExitOk));
        QCOMPARE(out, QStringLiteral("Date/Time,Mode,Registration,Block ID,Msg No,Flight No,"
                                     "Message Text,Msg Labe,Log Filename\r\n"
                                     "2026-12-07 10:00:00,2,G-EUPA,2,M01A,BA0001,"
                                     "\"POSN51234W001234\r\nSECOND\",H1,test.log\r\n"));
        // No hits: the header alone, and the status says so.
        QCOMPARE(run({"search", "ZZZZ", "--csv"}), int(ExitFailure));
        QVERIFY(out.startsWith(QStringLiteral("Date/Time,")));
        QCOMPARE(out.count(u'\n'), 1);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no text") << QStringList{};
        QTest::newRow("empty text") << QStringList{""};
        QTest::newRow("two texts") << QStringList{"a", "b"};
        QTest::newRow("unknown option") << QStringList{"POS", "--regs", "X"};
        QTest::newRow("option without value") << QStringList{"POS", "--reg"};
        QTest::newRow("reg and flight") << QStringList{"POS", "--reg", "A", "--flight", "B"};
        QTest::newRow("reg and days")
            << QStringList{"POS", "--reg", "A", "--from", "2026-12-01", "--to", "2026-12-02"};
        QTest::newRow("from alone") << QStringList{"POS", "--from", "2026-12-01"};
        QTest::newRow("bad day") << QStringList{"POS", "--from", "1/12/2026", "--to", "2026-12-02"};
        QTest::newRow("to before from")
            << QStringList{"POS", "--from", "2026-12-02", "--to", "2026-12-01"};
        QTest::newRow("negative limit") << QStringList{"POS", "--limit", "-1"};
        QTest::newRow("limit not a number") << QStringList{"POS", "--limit", "ten"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(QStringList{"search"} + args), int(ExitUsage));
        QVERIFY(out.isEmpty());
        QVERIFY(err.contains(QStringLiteral("Usage: corvane search")));
    }

    void anOlderStoreReportsItsUpgrade()
    {
        const QString old = env.newDataDir();
        {
            SqliteDb db;
            db.open(old + u'/' + Schema::fileName(Schema::File::AcarsLog));
            db.exec(SqliteTableSql::createStatements(Schema::File::AcarsLog, 4).constData());
            db.setUserVersion(4);
            db.exec("INSERT INTO tMessage (mTime, mReg, mFlight, mLabel, mText) "
                    "VALUES ('2026-12-07 10:00:00', 'G-OLDS', 'BA1', 'H1', 'KEPT FROM BEFORE')");
        }
        const QString kept = dataDir;
        dataDir = old;
        const int status = run({"search", "from before"});
        dataDir = kept;
        QCOMPARE(status, int(ExitOk));
        QVERIFY2(err.contains(QStringLiteral("Building the search index: 100%")), qPrintable(err));
        QVERIFY(out.contains(QStringLiteral("G-OLDS")));
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "TestSearchCommand.moc"
