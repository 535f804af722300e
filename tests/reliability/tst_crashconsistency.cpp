#include "BenchSupport.h"
#include "StoreConsistency.h"
#include "store/SqliteDb.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace corvane;

// kill -9 in the middle of recording loses at most the open batch: the
// store stays intact, holds exactly the messages that came first, and its
// registers agree with them. Recording again carries on from there.
class CrashConsistencyTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void killedImport_data();
    void killedImport();
    void killedLiveRecording();

private:
    std::unique_ptr<QProcess> start(const QString &dataDir, const QStringList &args);
    // How many rows, from the first, are the messages first..first+n of the
    // traffic; -1 when a row differs.
    static qint64 matchingRun(const QString &dataDir, qint64 firstRow, qint64 firstMessage);

    static constexpr qint64 kLogMessages = 200000;
    std::unique_ptr<test::TestEnvironment> m_env;
    QTemporaryDir m_runtime;
    QString m_log;
};

void CrashConsistencyTest::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    m_log = m_env->path("traffic.log");
    QVERIFY(bench::writeSkySpyLog(m_log, kLogMessages));
}

std::unique_ptr<QProcess> CrashConsistencyTest::start(const QString &dataDir,
                                                      const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
    return p;
}

qint64 CrashConsistencyTest::matchingRun(const QString &dataDir, qint64 firstRow,
                                         qint64 firstMessage)
{
    SqliteDb db;
    db.open(dataDir + "/acarslog.db");
    if (!db.tableExists(QStringLiteral("tMessage"))) // stopped before the store was made
        return 0;
    SqliteStatement st(db, "SELECT mReg, mFlight, mNo, mTime FROM tMessage ORDER BY rowid "
                           "LIMIT -1 OFFSET ?");
    st.bind(1, firstRow);
    const bench::Traffic traffic;
    qint64 n = 0;
    while (st.step()) {
        const MessageRecord want = traffic.message(firstMessage + n);
        if (st.text(0) != want.mReg || st.text(1) != want.mFlight || st.text(2) != want.mNo ||
            st.text(3) != want.mTime.withoutSeconds().toStorage()) {
            qWarning("row %lld: %s %s %s %s", firstRow + n, qPrintable(st.text(0)),
                     qPrintable(st.text(1)), qPrintable(st.text(2)), qPrintable(st.text(3)));
            return -1;
        }
        ++n;
    }
    return n;
}

void CrashConsistencyTest::killedImport_data()
{
    QTest::addColumn<int>("afterMs");
    QTest::newRow("while opening") << 40;
    QTest::newRow("in the first batch") << 250;
    QTest::newRow("a second in") << 1000;
    QTest::newRow("well into the log") << 2500;
}

void CrashConsistencyTest::killedImport()
{
    QFETCH(int, afterMs);
    const QString dir = m_env->newDataDir();
    auto import = start(dir, {"import", "--decoder", "SkySpy", m_log});
    QVERIFY(import->waitForStarted());
    QTest::qSleep(afterMs);
    ::kill(pid_t(import->processId()), SIGKILL);
    QVERIFY(import->waitForFinished(10000));

    QCOMPARE(test::StoreConsistency::problems(dir), QString());
    const qint64 kept = test::StoreConsistency::messageCount(dir);
    QCOMPARE(matchingRun(dir, 0, 0), kept);

    // Importing again adds the whole log after what was kept.
    auto again = start(dir, {"import", "--decoder", "SkySpy", m_log});
    QVERIFY(again->waitForFinished(300000));
    QCOMPARE(again->exitCode(), 0);
    QCOMPARE(test::StoreConsistency::problems(dir), QString());
    QCOMPARE(test::StoreConsistency::messageCount(dir), kept + kLogMessages);
    QCOMPARE(matchingRun(dir, kept, 0), kLogMessages);
}

void CrashConsistencyTest::killedLiveRecording()
{
    const QString dir = m_env->newDataDir();
    auto serve = start(dir, {"link", "serve", "SkySpy", "ACARS"});
    QTRY_VERIFY_WITH_TIMEOUT(serve->canReadLine(), 10000);
    const bench::Traffic traffic;
    qint64 sent = 0;
    // The value held when the link opens is left out by design.
    serve->write("SkySpy\r\n\f");

    for (int round = 0; round < 2; ++round) {
        auto live = start(dir, {"live", "--type", "SkySpy"});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += live->readAllStandardOutput()).contains("left out"),
                                 15000);
        const qint64 firstOfRound = sent;
        const qint64 rowsBefore = round == 0 ? 0 : test::StoreConsistency::messageCount(dir);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1500) {
            QByteArray values;
            for (int i = 0; i < 200; ++i)
                values += traffic.skySpyBlock(sent++) + '\f';
            serve->write(values);
            serve->waitForBytesWritten(1000);
            QTest::qWait(20);
        }
        ::kill(pid_t(live->processId()), SIGKILL);
        QVERIFY(live->waitForFinished(10000));

        QCOMPARE(test::StoreConsistency::problems(dir), QString());
        // What was recorded is an unbroken run of what was sent, from the start.
        const qint64 rows = test::StoreConsistency::messageCount(dir) - rowsBefore;
        QVERIFY(rows > 0);
        QVERIFY(rows <= sent - firstOfRound);
        QCOMPARE(matchingRun(dir, rowsBefore, firstOfRound), rows);
        // The next round links again: its connect-time value is the last one
        // sent, which it leaves out.
        ++sent;
        serve->write(traffic.skySpyBlock(sent - 1) + '\f');
        serve->waitForBytesWritten(1000);
    }
    serve->terminate();
    QVERIFY(serve->waitForFinished(10000));
}

QTEST_GUILESS_MAIN(CrashConsistencyTest)
#include "tst_crashconsistency.moc"
