#include "recording/RecorderThread.h"
#include "store/HeldMessagesFile.h"
#include "store/MessageRecorder.h"
#include "store/MessageView.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QSignalSpy>
#include <QtTest>
#include <sys/stat.h>

using namespace corvane;
using corvane::test::rows;

namespace
{
// A message that names the job it came from.
MessageRecord message(const QString &reg, const QString &job)
{
    MessageRecord r =
        test::message(reg, QStringLiteral("BA01"), QStringLiteral("01/02/2004 10:00"));
    r.mFileName = job;
    return r;
}
} // namespace

class TestRecorderThread : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;

private slots:
    void jobsRunInOrderEachWithItsOwnBatch()
    {
        const QString folder = env.newDataDir();
        RecorderThread thread;
        QVERIFY(thread.start(folder));
        QStringList order;
        QMutex lock;
        QSignalSpy finished(&thread, &RecorderThread::jobFinished);
        // The first job leaves its batch open; the second must not commit or
        // roll back the first one's messages, nor be mixed into it.
        thread.submit([&](RecorderJobContext &c) {
            c.recorder.storeMessage(message("N1", "import"), nullptr);
            QMutexLocker l(&lock);
            order << "import";
        });
        thread.submit([&](RecorderJobContext &c) {
            QVERIFY(!c.recorder.batchOpen());
            c.recorder.storeMessage(message("N2", "live"), nullptr);
            QMutexLocker l(&lock);
            order << "live";
        });
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(order, (QStringList{"import", "live"}));
        Store reader;
        reader.open(folder);
        QCOMPARE(rows(reader, "SELECT mReg, mFileName FROM tMessage ORDER BY rowid"),
                 (QStringList{"N1|import", "N2|live"}));
    }

    void cancelStopsTheRunningJobAndDropsWaitingOnes()
    {
        RecorderThread thread;
        QVERIFY(thread.start(env.newDataDir()));
        std::atomic_bool started{false};
        std::atomic_int stored{0};
        QSignalSpy finished(&thread, &RecorderThread::jobFinished);
        const quint64 first = thread.submit([&](RecorderJobContext &c) {
            started = true;
            while (!c.cancelled) {
                c.recorder.storeMessage(message("N1", "long"), nullptr);
                ++stored;
            }
        });
        std::atomic_bool secondRan{false};
        const quint64 second = thread.submit([&](RecorderJobContext &) { secondRan = true; });
        QTRY_VERIFY(started.load());
        thread.cancel(second);
        thread.cancel(first);
        QTRY_COMPARE(finished.count(), 2);
        QVERIFY(!secondRan);
        QVERIFY(stored > 0);
    }

    void aFailingJobIsReportedAndRolledBack()
    {
        const QString folder = env.newDataDir();
        RecorderThread thread;
        QVERIFY(thread.start(folder));
        QSignalSpy failed(&thread, &RecorderThread::jobFailed);
        QSignalSpy finished(&thread, &RecorderThread::jobFinished);
        thread.submit([](RecorderJobContext &c) {
            c.recorder.storeMessage(message("N1", "x"), nullptr);
            throw StoreError(QStringLiteral("disk full"));
        });
        thread.submit(
            [](RecorderJobContext &c) { c.recorder.storeMessage(message("N2", "y"), nullptr); });
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(1).toString(), QStringLiteral("disk full"));
        Store reader;
        reader.open(folder);
        QCOMPARE(rows(reader, "SELECT mReg FROM tMessage"), QStringList{"N2"});
    }

    void refusesAFolderItCannotOpen()
    {
        const QString folder = env.newDataDir();
        QFile bad(QDir(folder).filePath(QStringLiteral("acarslog.db")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a database at all");
        bad.close();
        RecorderThread thread;
        QString error;
        QVERIFY(!thread.start(folder, &error));
        QVERIFY(error.contains(QStringLiteral("acarslog.db")));
        QVERIFY(!thread.isRunning());
    }

    // The window's recorder on a server store: what it holds while the
    // server is away outlives closing the window, and the next start stores
    // it once.
    void heldMessagesOutliveAStop()
    {
        test::ThrowawayServer server;
        if (!server.isRunning())
            QSKIP(qPrintable(server.whyNot()));
        const QString url = server.newDatabase();
        const QString folder = env.newDataDir();
        {
            RecorderThread thread;
            QVERIFY(thread.start(folder, url));
            QVERIFY(server.stop());
            thread.submit([](RecorderJobContext &c) {
                for (int i = 0; i < 5; ++i)
                    c.recorder.storeMessage(message(QStringLiteral("N%1").arg(i), "held"), nullptr);
            });
            thread.drain();
            thread.stop();
            QCOMPARE(thread.keptAtStop().messages, qint64(5));
            QCOMPARE(thread.keptAtStop().error, QString());
            QVERIFY(QFile::exists(thread.keptAtStop().path));
        }
        QVERIFY(server.restart());
        RecorderThread thread;
        QVERIFY(thread.start(folder, url));
        QCOMPARE(thread.keptFromLastRun().messages, qint64(5));
        QVERIFY(thread.keptFromLastRun().stored);
        QVERIFY(!QFile::exists(thread.keptFromLastRun().path));
        qint64 stored = 0;
        thread.submit(
            [&stored](RecorderJobContext &c) { stored = MessageView::all().count(c.store()); });
        thread.drain();
        QCOMPARE(stored, qint64(5));
        thread.stop();
        QCOMPARE(thread.keptAtStop().messages, qint64(0));
    }

    // A held file is never taken without a word: messages that cannot be
    // stored are counted and named, a store on the files says the file is
    // there and leaves it, and anything but a regular file is refused, not
    // waited on.
    void heldFileIsAccountedFor()
    {
        test::ThrowawayServer server;
        if (!server.isRunning())
            QSKIP(qPrintable(server.whyNot()));
        const QString folder = env.newDataDir();
        std::vector<MessageRecord> kept;
        for (int i = 0; i < 6; ++i)
            kept.push_back(message(QStringLiteral("N%1").arg(i), "kept"));
        kept[2].mTime.month = 13;
        kept[4].mTime.hour = 25;
        kept[4].mReg = QStringLiteral("X\x1b[2J");
        const HeldMessagesFile file(folder);
        file.write(kept);

        RecorderThread onFiles;
        QVERIFY(onFiles.start(folder));
        QVERIFY(onFiles.keptFromLastRun().unused);
        QVERIFY(onFiles.keptFromLastRun().report().join(u' ').contains(file.path()));
        onFiles.stop();
        QVERIFY(file.exists());

        RecorderThread thread;
        QVERIFY(thread.start(folder, server.newDatabase()));
        const RecorderThread::KeptMessages &restored = thread.keptFromLastRun();
        QCOMPARE(restored.messages, qint64(6));
        QCOMPARE(restored.unstorable, qint64(2));
        QCOMPARE(restored.unstorableNames.size(), 2);
        QVERIFY(restored.unstorableNames[0].startsWith(QLatin1String("#3 ")));
        QVERIFY(restored.unstorableNames[1].contains(QLatin1String("X\\x1b[2J")));
        QVERIFY(restored.report().first().startsWith(QLatin1String("4 of the 6")));
        QVERIFY(!file.exists());
        thread.stop();

        QVERIFY(::mkfifo(QFile::encodeName(file.path()).constData(), 0600) == 0);
        RecorderThread piped;
        QVERIFY(piped.start(folder, server.newDatabase()));
        QVERIFY(piped.keptFromLastRun().error.contains(QLatin1String("not a regular file")));
    }
};

QTEST_GUILESS_MAIN(TestRecorderThread)
#include "tst_recorderthread.moc"
