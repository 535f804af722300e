// corvane report NAME ... --pdf OUT, run as the program itself on a headless station.
#include "store/MessageRecorder.h"
#include "store/PgConnection.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace corvane;

namespace
{
struct Run {
    int status = -1;
    QString out;
    QString err;
};

bool isPdf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-" && f.size() > 500;
}
} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString dir;

    Run corvane(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        // No display and no platform chosen: the command must not need one.
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        e.remove(QStringLiteral("DISPLAY"));
        e.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dir, "report"} + args);
        if (!p.waitForFinished(120000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        dir = env.newDataDir();
        Store store;
        store.open(dir);
        MessageRecorder recorder(store);
        for (int i = 0; i < 200; ++i)
            recorder.storeMessage(
                test::message("G-ABC" + QString(QChar(u'A' + i % 3)), "BA12",
                              QStringLiteral("07/12/2026 10:%1").arg(i % 60, 2, 10, QChar(u'0'))),
                nullptr);
        recorder.commitBatch();
    }

    void printsShippedReports_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("dates") << QStringList{"allbydate", "--from", "2026-12-07", "--to",
                                              "2026-12-07"};
        QTest::newRow("flight") << QStringList{"allbyflight", "--flight", "BA12"};
        QTest::newRow("reg") << QStringList{"uniquebyreg", "--reg", "G-ABCA"};
        QTest::newRow("name with a blank") << QStringList{"unique aircraft"};
    }
    void printsShippedReports()
    {
        QFETCH(QStringList, args);
        const QString out = env.path(args.first() + ".pdf");
        const Run r = corvane(args + QStringList{"--pdf", out});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.out.contains(" written to " + out));
        QVERIFY(isPdf(out));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown report") << QStringList{"nosuch", "--pdf", "x.pdf"} << 1
                                        << "unknown report \"nosuch\"; reports: ";
        QTest::newRow("path as a name") << QStringList{"../reports/unique", "--pdf", "x.pdf"} << 1
                                        << "unknown report \"../reports/unique\"";
        QTest::newRow("parameter missing") << QStringList{"allbyflight", "--pdf", "x.pdf"} << 1
                                           << "allbyflight.rpt needs the parameter Flight";
        QTest::newRow("dates reversed") << QStringList{"allbydate",  "--from", "2026-12-08", "--to",
                                                       "2026-12-07", "--pdf",  "x.pdf"}
                                        << 2 << "Date To must be later than Date From";
        QTest::newRow("no output") << QStringList{"unique"} << 2 << "no output file given";
        QTest::newRow("two selections")
            << QStringList{"unique", "--flight", "A", "--reg", "B", "--pdf", "x.pdf"} << 2
            << "choose one of";
    }
    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, error);
        const Run r = corvane(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(error), qPrintable(r.err));
        QVERIFY(!QFile::exists("x.pdf"));
    }

    // The output never lands on the store.
    void outputOntoTheStoreIsRefused()
    {
        const Run r = corvane({"alllogs", "--pdf", dir + "/acarslog.db"});
        QCOMPARE(r.status, 1);
        Store store;
        store.open(dir);
        QCOMPARE(test::rows(store, "SELECT COUNT(*) FROM tMessage"), QStringList{"200"});
    }

    // A report file of the user's own, in the application folder, with a
    // query the store refuses: the error names the file and line.
    void usersOwnReport()
    {
        QFile f(dir + "/mine.rpt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Title: Mine\nQuery: SELECT mReg FROM tMesage\nColumn: Reg | mReg | 20 | left\n");
        f.close();
        const Run r = corvane({"mine", "--pdf", env.path("mine.pdf")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("mine.rpt line 2: The query is refused: no such table: tMesage"),
                 qPrintable(r.err));
        QVERIFY(!QFile::exists(env.path("mine.pdf")));
    }

    // A report whose program is gone (killed, as a stop that does not wait
    // would) leaves no query running on the server.
    void killedReportEndsOnTheServer()
    {
        test::ThrowawayServer server;
        if (!server.isRunning())
            QSKIP(qPrintable(server.whyNot()));
        const QString url = server.newDatabase();
        QFile f(dir + "/endless.rpt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Title: Endless\nQuery: SELECT count(*) AS n FROM generate_series(1, 10000000000)\n"
                "Column: N | n | 20 | left\n");
        f.close();
        QProcess p;
        p.start(QStringLiteral(CORVANE_BINARY), {"--data-dir", dir, "--store", url, "report",
                                                 "endless", "--pdf", env.path("endless.pdf")});
        QVERIFY(p.waitForStarted());
        PgConnection watch;
        watch.open(ServerUrl::parse(url));
        const auto running = [&] {
            return watch
                .query("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                       "AND pid <> pg_backend_pid() AND state = 'active'")
                .int64(0, 0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(running() == 1, 60000);
        p.kill();
        QVERIFY(p.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(running() == 0, 30000);
    }
};

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
