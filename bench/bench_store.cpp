// Recording speed: messages through the recorder into a fresh store with its
// browsing indexes, against plain INSERTs of the same rows (the floor).
#include "BenchSupport.h"
#include "store/MessageRecorder.h"
#include "store/MessageTime.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;

namespace
{

double recordThroughStore(const QString &dir, qint64 count)
{
    Store store;
    store.open(dir);
    MessageRecorder recorder(store);
    bench::Traffic traffic;
    QElapsedTimer t;
    t.start();
    for (qint64 i = 0; i < count; ++i)
        recorder.storeMessage(traffic.message(i), nullptr);
    recorder.commitBatch();
    recorder.refreshHeard();
    return double(count) / (double(t.nsecsElapsed()) / 1e9);
}

double plainInserts(const QString &path, qint64 count)
{
    SqliteDb db;
    db.open(path);
    db.exec(
        "PRAGMA page_size = 16384; PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA "
        "cache_size = -65536; PRAGMA wal_autocheckpoint = 8192;"
        "CREATE TABLE m (mTime TEXT, mMode TEXT, mReg TEXT COLLATE NOCASE, mLabel TEXT, mBlk TEXT,"
        " mNo TEXT, mFlight TEXT COLLATE NOCASE, mText TEXT, mFileName TEXT, mType TEXT);"
        "CREATE INDEX a ON m (mTime); CREATE INDEX b ON m (mReg, mTime);"
        "CREATE INDEX c ON m (mFlight, mTime);");
    SqliteStatement ins(db, "INSERT INTO m (mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime,"
                            " mFileName) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    bench::Traffic traffic;
    QElapsedTimer t;
    t.start();
    db.exec("BEGIN");
    for (qint64 i = 0; i < count; ++i) {
        const MessageRecord r = traffic.message(i);
        ins.bind(1, r.mMode);
        ins.bind(2, r.mReg);
        ins.bind(3, r.mLabel);
        ins.bind(4, r.mBlk);
        ins.bind(5, r.mNo);
        ins.bind(6, r.mFlight);
        ins.bind(7, r.mText);
        ins.bind(8, r.mTime.toStorage());
        ins.bind(9, r.mFileName);
        ins.run();
        if ((i + 1) % MessageRecorder::kBatchLimit == 0)
            db.exec("COMMIT; BEGIN");
    }
    db.exec("COMMIT");
    return double(count) / (double(t.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir dir;
    std::printf("Recording %lld messages (%d registrations, %d pairs)...\n", count,
                bench::Traffic::kRegistrations, bench::Traffic::kPairs);
    const double rate = recordThroughStore(dir.filePath("store"), count);
    const double peak = bench::peakMemoryMB();
    const double floor = plainInserts(dir.filePath("floor.db"), count);
    std::printf("recorder:        %.0f messages/s\n", rate);
    std::printf("plain INSERTs:   %.0f rows/s (same rows, same indexes)\n", floor);
    std::printf("ratio:           %.2f (target >= 0.5)\n", rate / floor);
    std::printf("peak memory:     %.0f MB\n", peak);
    std::printf("target 50000/s:  %s\n", rate >= 50000 ? "met" : "NOT met");
    return 0;
}
