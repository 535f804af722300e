// Recording speed: messages through the recorder into a fresh store with its
// browsing indexes, against plain INSERTs of the same rows (the floor):
//   bench_store [N] [--live]  (N messages, default one million; --live keeps
//   the live batches of 10,000 instead of an import's)
#include "BenchSupport.h"
#include "MessageStream.h"
#include "StoreGenerator.h"
#include "TrafficModel.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

using namespace corvane;

namespace
{

// The same year of traffic for both runs.
struct Traffic {
    bench::TrafficModel model{1, {}};
    bench::MessageStream::Options options;
    bench::MessageStream stream() const { return bench::MessageStream(model, options); }
};

double recordThroughStore(const QString &dir, const Traffic &traffic, bool live)
{
    Store store;
    store.open(dir);
    MessageRecorder recorder(store);
    // Recorded as an import records, or with --live as live recording does.
    std::optional<MessageRecorder::BulkScope> bulk;
    if (!live)
        bulk.emplace(recorder);
    bench::MessageStream stream = traffic.stream();
    QElapsedTimer t;
    t.start();
    while (stream.next())
        recorder.storeMessage(bench::toRecord(stream.message()), nullptr);
    recorder.commitBatch();
    recorder.refreshHeard();
    return double(traffic.options.messages) / (double(t.nsecsElapsed()) / 1e9);
}

double plainInserts(const QString &path, const Traffic &traffic, bool live)
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
    // The recorder's batches and cache.
    const qint64 batch = live ? MessageRecorder::kBatchLimit : MessageRecorder::kBulkBatchLimit;
    if (!live)
        db.exec("PRAGMA cache_size = -131072");
    bench::MessageStream stream = traffic.stream();
    QElapsedTimer t;
    t.start();
    db.exec("BEGIN");
    for (qint64 i = 1; stream.next(); ++i) {
        const bench::GeneratedMessage &m = stream.message();
        bench::StoreGenerator::bindMessage(ins, m);
        ins.run();
        if (i % batch == 0)
            db.exec("COMMIT; BEGIN");
    }
    db.exec("COMMIT");
    return double(traffic.options.messages) / (double(t.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool live = args.contains(QStringLiteral("--live"));
    const QStringList numbers = args.filter(QRegularExpression(QStringLiteral("^\\d+$")));
    const qint64 count = numbers.isEmpty() ? 1000000 : numbers.first().toLongLong();
    QTemporaryDir dir;
    Traffic traffic;
    traffic.options.messages = count;
    std::printf("Recording %lld messages (%d registrations, %d pairs)...\n", count,
                int(traffic.model.aircraft().size()), int(traffic.model.pairs().size()));
    const double rate = recordThroughStore(dir.filePath("store"), traffic, live);
    const double peak = bench::peakMemoryMB();
    const double floor = plainInserts(dir.filePath("floor.db"), traffic, live);
    std::printf("recorder:        %.0f messages/s\n", rate);
    std::printf("plain INSERTs:   %.0f rows/s (same rows, same indexes)\n", floor);
    std::printf("ratio:           %.2f (target >= 0.5)\n", rate / floor);
    std::printf("peak memory:     %.0f MB\n", peak);
    std::printf("target 50000/s:  %s\n", rate >= 50000 ? "met" : "NOT met");
    return 0;
}
