#include "app/MainWindow.h"
#include "app/MainWindowLauncher.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreChangeWatcher.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace corvane;

namespace
{

QByteArray skySpy(int n)
{
    const QByteArray reg = ".G-" + QByteArray::number(1000 + n % 37);
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\nLIVE " +
           QByteArray::number(n) + "\r\n" + QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
}

} // namespace

// The desktop's window and a headless `corvane live` on one store, as on a
// station that records unattended while its owner browses.
class SharedStoreTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    QString dataDir;

    std::unique_ptr<QProcess> start(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
        return p;
    }
    static bool waitFor(QProcess &p, QByteArray &seen, const QByteArray &text)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired() && !seen.contains(text)) {
            p.waitForReadyRead(100);
            seen += p.readAllStandardOutput();
        }
        return seen.contains(text);
    }
    qint64 count(const char *sql)
    {
        Store store;
        store.open(dataDir);
        SqliteStatement st(store.acarsLog(), sql);
        return st.step() ? st.int64(0) : -1;
    }

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }

    void windowAndHeadlessRecorderShareOneStore()
    {
        dataDir = env.newDataDir();
        Store store;
        store.open(dataDir);
        RecorderThread recorder;
        QVERIFY(recorder.start(dataDir));
        MainWindow window(store);
        MessageBrowser browser(window, store);
        StoreChangeWatcher watcher(store);
        MainWindowLauncher::followOtherWriters(window, recorder, watcher);

        auto serve = start({"link", "serve", "SkySpy", "ACARS"});
        QByteArray served;
        QVERIFY(waitFor(*serve, served, "serving"));
        auto live = start({"live", "--type", "SkySpy"});
        QByteArray heard;
        QVERIFY(waitFor(*live, heard, "left out"));

        // Both record at once: the window's recorder in jobs of 50 messages,
        // the headless one a value of 5 messages at a time.
        constexpr int kWindowJobs = 10, kValues = 20, kPerValue = 5;
        for (int job = 0; job < kWindowJobs; ++job)
            recorder.submit([job](RecorderJobContext &c) {
                for (int i = 0; i < 50; ++i) {
                    const QString reg = QStringLiteral("D-A%1").arg(job * 50 + i % 7);
                    c.recorder.storeMessage(
                        test::message(
                            reg, QStringLiteral("LH%1").arg(i % 5),
                            QStringLiteral("2026-12-08 10:%1:00").arg(i, 2, 10, QChar('0'))),
                        nullptr);
                }
                c.recorder.commitBatch();
            });
        for (int v = 0; v < kValues; ++v) {
            QByteArray value;
            for (int m = 0; m < kPerValue; ++m)
                value += skySpy(v * kPerValue + m);
            serve->write(value + '\f');
            QVERIFY(serve->waitForBytesWritten(5000));
            QTest::qWait(20);
        }
        const qint64 total = kWindowJobs * 50 + kValues * kPerValue;

        // The window shows every row, its own and the other program's,
        // without being told.
        QDeadlineTimer deadline(20000);
        while (browser.model()->recordCount() != total && !deadline.hasExpired())
            QTest::qWait(50);
        heard += live->readAllStandardOutput() + live->readAllStandardError();
        QVERIFY2(browser.model()->recordCount() == total,
                 qPrintable(QStringLiteral("%1 rows shown, %2 stored; corvane live said:\n%3")
                                .arg(browser.model()->recordCount())
                                .arg(count("SELECT count(*) FROM tMessage"))
                                .arg(QString::fromUtf8(heard))));

        ::kill(pid_t(live->processId()), SIGTERM);
        QVERIFY(live->waitForFinished(10000));
        QCOMPARE(live->exitCode(), 0);
        serve->terminate();
        QVERIFY(serve->waitForFinished(5000));
        recorder.drain();

        // The other side sees them all too, and the registers are true.
        auto info = start({"info"});
        QVERIFY(info->waitForFinished(10000));
        QVERIFY(info->readAllStandardOutput().contains("messages: " + QByteArray::number(total)));
        QCOMPARE(count("SELECT count(*) FROM UniqueAircraft"),
                 count("SELECT count(DISTINCT mReg) FROM tMessage"));
        QCOMPARE(count("SELECT sum(TimesHeard) FROM UniqueAircraft"), total);
    }

    // Messages another program imports show whole in every view the window
    // offers, and the count follows them unasked.
    void importsOfAnotherProgramShowWhole()
    {
        dataDir = env.newDataDir();
        Store store;
        store.open(dataDir);
        RecorderThread recorder;
        QVERIFY(recorder.start(dataDir));
        MainWindow window(store);
        MessageBrowser browser(window, store);
        StoreChangeWatcher watcher(store);
        MainWindowLauncher::followOtherWriters(window, recorder, watcher);
        MessageGridModel &grid = *browser.model();
        const auto settled = [&grid](qint64 rows) {
            QDeadlineTimer deadline(20000);
            while ((grid.isWorking() || grid.recordCount() != rows) && !deadline.hasExpired())
                QTest::qWait(20);
            return grid.recordCount() == rows;
        };
        const std::function<void()> views[] = {
            [&] { browser.sortByColumn(MessageView::Reg); },
            [&] { browser.sortByColumn(MessageView::Flight); },
            [&] { browser.search(QStringLiteral("LIVE")); },
            [&] { browser.clearSearch(); },
        };
        constexpr int kPerLog = 30;
        for (int round = 0; round < 4; ++round) {
            QByteArray log = "SkySpy log\r\n";
            for (int i = 0; i < kPerLog; ++i)
                log += skySpy(round * kPerLog + i);
            const QString path = env.writeFile(QStringLiteral("round%1.log").arg(round), log);
            auto import = start({"import", "--decoder", "SkySpy", path});
            QVERIFY(import->waitForFinished(30000));
            QVERIFY2(import->exitCode() == 0, import->readAllStandardError().constData());
            const qint64 total = (round + 1) * kPerLog;
            QVERIFY2(settled(total), qPrintable(QStringLiteral("round %1: %2 rows shown of %3")
                                                    .arg(round)
                                                    .arg(grid.recordCount())
                                                    .arg(total)));
            for (const auto &show : views) {
                show();
                QVERIFY(settled(total));
                for (int row = 0; row < grid.rowCount(); ++row)
                    QVERIFY2(!grid.index(row, MessageView::Reg).data().toString().isEmpty(),
                             qPrintable(QStringLiteral("round %1: row %2 of %3 is blank")
                                            .arg(round)
                                            .arg(row)
                                            .arg(grid.requestedView().sortColumn())));
            }
        }
    }

    // A deletion or compaction in another program holds the write lock for
    // longer than a statement usually waits: the recorder waits it out
    // instead of failing the batch it holds.
    void recorderWaitsOutAnotherProgramsLongWrite()
    {
        dataDir = env.newDataDir();
        RecorderThread recorder;
        QVERIFY(recorder.start(dataDir));
        SqliteDb other;
        other.open(QDir(dataDir).filePath(QStringLiteral("acarslog.db")));
        other.exec("BEGIN IMMEDIATE");
        std::atomic<bool> stored{false};
        QString failure;
        connect(&recorder, &RecorderThread::jobFailed, this,
                [&failure](quint64, const QString &why) { failure = why; });
        recorder.submit([&stored](RecorderJobContext &c) {
            c.recorder.storeMessage(test::message(QStringLiteral("G-WAIT"), QStringLiteral("BA1"),
                                                  QStringLiteral("2026-12-08 10:00:00")),
                                    nullptr);
            c.recorder.commitBatch();
            stored = true;
        });
        QTest::qWait(6500);
        QVERIFY(!stored);
        other.exec("COMMIT");
        recorder.drain();
        QCoreApplication::processEvents();
        QCOMPARE(failure, QString());
        QVERIFY(stored);
        QCOMPARE(count("SELECT count(*) FROM tMessage WHERE mReg = 'G-WAIT'"), 1);
    }
};

QTEST_MAIN(SharedStoreTest)
#include "tst_sharedstore.moc"
