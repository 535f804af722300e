#include "formats/ImportResult.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "recording/ImportObserverRelay.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace corvane;
using corvane::test::rows;

namespace
{

// count records whose registrations are the two-character prefix followed
// by the record's number in five digits (the reader takes seven).
QByteArray skySpyLog(const QByteArray &regPrefix, int count)
{
    QByteArray log = "SkySpy\r\n";
    for (int i = 0; i < count; ++i)
        log += "ACARS mode: 2  Aircraft reg: " + regPrefix +
               QByteArray::number(i % 100000).rightJustified(5, '0') +
               "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0001\r\n"
               "Message content:-\r\nTEXT\r\n" +
               QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
    return log;
}

const LogFormat &skySpy()
{
    return *LogFormats::find(QStringLiteral("SkySpy"));
}

// Records what reaches the window's side, and on which thread.
class Collector : public QObject, public ImportObserver
{
public:
    QStringList calls;
    bool offThread = false;
    int stopAfterRecords = -1; // cancelled() turns true after that many
    int recordCalls = 0;

    void record(const QString &name, qint64 stored, qint64, qint64) override
    {
        note(QStringLiteral("record %1 %2").arg(name).arg(stored));
        ++recordCalls;
    }
    void status(const QString &text) override { note(QStringLiteral("status ") + text); }
    void message(const QString &text) override { note(QStringLiteral("message ") + text); }
    void finishLog() override { note(QStringLiteral("finishLog")); }
    bool cancelled() const override
    {
        return stopAfterRecords >= 0 && recordCalls >= stopAfterRecords;
    }

private:
    void note(const QString &call)
    {
        offThread = offThread || QThread::currentThread() != thread();
        calls << call;
    }
};

} // namespace

// Imports as jobs of the recorder thread, and the import's own cancel.
class TestImportJob : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void importThenAnotherJobEachWithItsOwnBatch()
    {
        const QString folder = env.newDataDir();
        const QString log = env.writeFile("logs/a.log", skySpyLog(".N", 25));
        RecorderThread thread;
        QVERIFY(thread.start(folder));
        Collector window;
        QSignalSpy finished(&thread, &RecorderThread::jobFinished);
        std::atomic_bool secondSawOpenBatch{true};
        QString committedBefore;
        thread.submit([&](RecorderJobContext &c) {
            LogImporter importer(c.store(), c.recorder);
            ImportObserverRelay relay(window, window, c.cancelled);
            importer.importFiles(skySpy(), {log}, &relay);
            // Left open on purpose: the thread commits it at the job's end.
            MessageRecord extra;
            extra.mReg = QStringLiteral("G-EXTRA");
            extra.mFlight = QStringLiteral("XY0001");
            extra.mTime = *MessageTime::parse(QStringLiteral("01/02/2004 10:00"));
            c.recorder.storeMessage(extra, nullptr);
        });
        thread.submit([&](RecorderJobContext &c) {
            secondSawOpenBatch = c.recorder.batchOpen();
            Store reader;
            reader.open(c.store().folder());
            committedBefore = rows(reader, "SELECT count(*) FROM tMessage").value(0);
        });
        QTRY_COMPARE(finished.count(), 2);
        QVERIFY(!secondSawOpenBatch);
        // The import's batch (and the message it left open) is committed
        // before the next job begins.
        QCOMPARE(committedBefore, QStringLiteral("26"));
        QVERIFY(!window.offThread);
        QVERIFY(window.calls.contains(QStringLiteral("finishLog")));
        QCOMPARE(window.calls.first(), QStringLiteral("record ") +
                                           QFileInfo(log).absoluteFilePath() +
                                           QStringLiteral(" 0"));
    }

    void relayPassesProgressAFewTimesASecond()
    {
        const QString folder = env.newDataDir();
        const QString log = env.writeFile("logs/b.log", skySpyLog(".N", 20000));
        RecorderThread thread;
        QVERIFY(thread.start(folder));
        Collector window;
        QSignalSpy finished(&thread, &RecorderThread::jobFinished);
        QElapsedTimer clock;
        clock.start();
        thread.submit([&](RecorderJobContext &c) {
            LogImporter importer(c.store(), c.recorder);
            ImportObserverRelay relay(window, window, c.cancelled);
            importer.importFiles(skySpy(), {log}, &relay);
        });
        QTRY_COMPARE(finished.count(), 1);
        const qint64 allowed = 2 + clock.elapsed() / ImportObserverRelay::kProgressMillis;
        QVERIFY2(window.recordCalls <= allowed, qPrintable(QString::number(window.recordCalls)));
        QVERIFY(window.recordCalls >= 1);
    }

    void cancelStopsTheRun_data()
    {
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<int>("results");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<QStringList>("registered");
        // record() comes before each record is read and once more where the
        // text ends: the first file (5 records) makes 6 calls, the second 5.
        QTest::newRow("in the first file") << 3 << 1 << qint64(3) << QStringList{"a.log"};
        QTest::newRow("between the files") << 6 << 1 << qint64(5) << QStringList{"a.log"};
        QTest::newRow("in the second file") << 8 << 2 << qint64(7) << QStringList{"a.log", "b.log"};
        QTest::newRow("never") << -1 << 2 << qint64(9) << QStringList{"a.log", "b.log"};
    }

    void cancelStopsTheRun()
    {
        QFETCH(int, stopAfter);
        QFETCH(int, results);
        QFETCH(qint64, stored);
        QFETCH(QStringList, registered);
        Store store;
        store.open(env.newDataDir());
        store.acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N00000')");
        MessageRecorder recorder(store);
        LogImporter importer(store, recorder);
        Collector observer;
        observer.stopAfterRecords = stopAfter;
        const QStringList files{env.writeFile("logs/a.log", skySpyLog(".N", 5)),
                                env.writeFile("logs/b.log", skySpyLog(".G", 4))};
        const auto out = importer.importFiles(skySpy(), files, &observer);
        QCOMPARE(int(out.size()), results);
        qint64 total = 0;
        for (const ImportResult &r : out)
            total += r.stored;
        QCOMPARE(total, stored);
        QCOMPARE(out.back().cancelled, stopAfter >= 0);
        // Everything read is committed, the files read are registered, and
        // the heard flags are refreshed even after a cancel.
        QVERIFY(!recorder.batchOpen());
        Store reader;
        reader.open(store.folder());
        QCOMPARE(rows(reader, "SELECT count(*) FROM tMessage").value(0), QString::number(stored));
        QCOMPARE(rows(reader, "SELECT FileName FROM LOGSPROCESSED ORDER BY rowid"), registered);
        QCOMPARE(rows(reader, "SELECT \"Heard?\" FROM AIRCRAFT"), QStringList{"1"});
        QCOMPARE(observer.calls.count(QStringLiteral("finishLog")), int(out.size()));
    }

    void commandLineImportStopsOnSigterm()
    {
        const QString folder = env.newDataDir();
        Store reader;
        reader.open(folder); // created before the command opens it
        const QString log = env.writeFile("logs/big.log", skySpyLog(".N", 300000));
        QProcess import;
        import.start(QStringLiteral(CORVANE_BINARY),
                     {"import", "--data-dir", folder, "--decoder", "SkySpy", log});
        QVERIFY(import.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(rows(reader, "SELECT count(*) FROM tMessage").value(0).toInt() > 0,
                                 30000);
        import.terminate();
        QVERIFY(import.waitForFinished(30000));
        QCOMPARE(import.exitStatus(), QProcess::NormalExit);
        QCOMPARE(import.exitCode(), 1);
        const QString out = QString::fromUtf8(import.readAllStandardOutput());
        const qint64 stored = out.section(QStringLiteral(": "), 1).section(u' ', 0, 0).toLongLong();
        QVERIFY2(stored > 0 && stored < 300000, qPrintable(out));
        QCOMPARE(rows(reader, "SELECT count(*) FROM tMessage").value(0), QString::number(stored));
        QCOMPARE(rows(reader, "SELECT count(*) FROM LOGSPROCESSED"), QStringList{"1"});
        QVERIFY(import.readAllStandardError().contains("cancelled"));

        // Run again, the import goes on after what the stopped one stored.
        QProcess again;
        again.start(QStringLiteral(CORVANE_BINARY),
                    {"import", "--data-dir", folder, "--decoder", "SkySpy", log});
        QVERIFY(again.waitForFinished(300000));
        QCOMPARE(again.exitCode(), 0);
        QVERIFY(again.readAllStandardError().contains("went on from there"));
        QCOMPARE(rows(reader, "SELECT count(*) FROM tMessage").value(0), QStringLiteral("300000"));
        QCOMPARE(rows(reader, "SELECT RecordsRead FROM LOGSPROCESSED"), QStringList{""});
    }

    void commandLineWarnsOfARepeatAndGoesOn()
    {
        const QString folder = env.newDataDir();
        const QString log = env.writeFile("logs/twice.log", skySpyLog(".N", 3));
        const auto importOnce = [&] {
            QProcess import;
            import.start(QStringLiteral(CORVANE_BINARY),
                         {"import", "--data-dir", folder, "--decoder", "SkySpy", log});
            import.waitForFinished(30000);
            return std::pair(import.exitCode(), QString::fromUtf8(import.readAllStandardError()));
        };
        const auto first = importOnce();
        QCOMPARE(first.first, 0);
        QVERIFY(!first.second.contains("imported before"));
        const auto second = importOnce();
        QCOMPARE(second.first, 0);
        QVERIFY2(second.second.contains("corvane import: warning: twice.log was imported before"),
                 qPrintable(second.second));
        Store reader;
        reader.open(folder);
        QCOMPARE(rows(reader, "SELECT count(*) FROM LOGSPROCESSED"), QStringList{"2"});
    }
};

QTEST_GUILESS_MAIN(TestImportJob)
#include "tst_importjob.moc"
