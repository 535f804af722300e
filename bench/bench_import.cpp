// End-to-end import: a generated SkySpy log read by `corvane import` into a
// fresh store, against plain INSERTs of exactly the rows it stored into
// another fresh store (the floor: same schema, indexes and batch size).
#include "BenchSupport.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

using namespace corvane;

namespace
{

constexpr int kColumns = 9;
using Row = std::array<QByteArray, kColumns>;

// The imported store's message rows in order, one batch at a time.
class StoredRows
{
public:
    explicit StoredRows(const QString &folder)
    {
        m_store.open(folder);
        m_select = std::make_unique<SqliteStatement>(
            m_store.acarsLog(), "SELECT mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, "
                                "mFileName FROM tMessage ORDER BY rowid");
    }

    // Fills rows with up to n rows; false when none were left.
    bool next(int n, std::vector<Row> &rows)
    {
        rows.clear();
        // A finished statement stepped again would start over.
        while (!m_done && int(rows.size()) < n) {
            if (!m_select->step()) {
                m_done = true;
                break;
            }
            Row row;
            for (int c = 0; c < kColumns; ++c)
                row[size_t(c)] = m_select->text(c).toUtf8();
            rows.push_back(std::move(row));
        }
        return !rows.empty();
    }

private:
    Store m_store;
    std::unique_ptr<SqliteStatement> m_select;
    bool m_done = false;
};

struct Floor {
    qint64 rows = 0;
    double seconds = 0;      // opening the store, the INSERTs and commits, closing it
    double closeSeconds = 0; // of which closing (the last checkpoint)
};

// Times what the import process must do with its store: open it, insert and
// commit, close it. Reading the rows back is left out.
Floor plainInserts(const QString &importedFolder, const QString &floorFolder)
{
    StoredRows source(importedFolder);
    std::vector<Row> rows;
    rows.reserve(MessageRecorder::kBulkBatchLimit);
    Floor floor;
    QElapsedTimer t;
    t.start();
    auto store = std::make_unique<Store>();
    store->open(floorFolder);
    SqliteDb &db = store->acarsLog();
    // The import's batches and cache.
    db.exec(QByteArray("PRAGMA cache_size = -" + QByteArray::number(MessageRecorder::kBulkCacheKiB))
                .constData());
    auto ins = std::make_unique<SqliteStatement>(
        db, "INSERT INTO tMessage (mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, "
            "mFileName) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    floor.seconds += double(t.nsecsElapsed()) / 1e9;
    while (source.next(MessageRecorder::kBulkBatchLimit, rows)) {
        t.start();
        SqliteTransaction tx(db);
        for (const Row &row : rows) {
            for (int c = 0; c < kColumns; ++c)
                ins->bind(c + 1, row[size_t(c)]);
            ins->run();
        }
        tx.commit();
        floor.seconds += double(t.nsecsElapsed()) / 1e9;
        floor.rows += qint64(rows.size());
    }
    t.start();
    ins.reset();
    store.reset();
    floor.closeSeconds = double(t.nsecsElapsed()) / 1e9;
    floor.seconds += floor.closeSeconds;
    return floor;
}

struct ImportRun {
    double seconds = 0;
    int exitCode = 0;
    QByteArray output;
};

ImportRun runImport(const QString &storeFolder, const char *decoder, const QString &log)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(CORVANE_BINARY),
            {"import", "--data-dir", storeFolder, "--decoder", decoder, log});
    p.waitForFinished(-1);
    return {double(t.nsecsElapsed()) / 1e9, p.exitCode(), p.readAllStandardOutput()};
}

// The same messages as a dumpvdl2 JSON log, against the SkySpy import of
// this run.
bool compareJsonImport(QTemporaryDir &dir, qint64 count, double skySpySeconds)
{
    const QString json = dir.filePath("bench.json");
    if (!bench::writeDumpvdl2Log(json, count))
        return false;
    std::printf("Importing %lld dumpvdl2 messages (%.0f MB)...\n", count,
                double(QFile(json).size()) / 1e6);
    const ImportRun run = runImport(dir.filePath("store-json"), "dumpvdl2", json);
    std::printf("%s", run.output.constData());
    const double rate = double(count) / run.seconds;
    const double skySpyRate = double(count) / skySpySeconds;
    std::printf("dumpvdl2 import: %.0f messages/s (%.1f s)\n", rate, run.seconds);
    std::printf("json ratio:      %.2f of the SkySpy import (target >= 0.8: %s)\n",
                rate / skySpyRate, rate >= 0.8 * skySpyRate ? "met" : "NOT met");
    return run.exitCode == 0;
}

} // namespace

// The same log into a store that already holds messages, against the import
// into the empty store of this run.
bool compareFilledImport(const QString &folder, const QString &log, qint64 count,
                         double emptySeconds)
{
    std::printf("Importing the same %lld messages into the store in %s...\n", count,
                qPrintable(folder));
    const ImportRun run = runImport(folder, "SkySpy", log);
    std::printf("%s", run.output.constData());
    const double rate = double(count) / run.seconds;
    const double emptyRate = double(count) / emptySeconds;
    std::printf("filled import:   %.0f messages/s (%.1f s)\n", rate, run.seconds);
    std::printf("filled ratio:    %.2f of the import into the empty store (target >= 0.4: %s)\n",
                rate / emptyRate, rate >= 0.4 * emptyRate ? "met" : "NOT met");
    return run.exitCode == 0;
}

// bench_import [N] [--into DIR]: N messages (default one million) into an empty
// store, and with --into also into the store in DIR, which the run changes.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const qsizetype into = args.indexOf(QStringLiteral("--into"));
    const QString filled = into >= 0 && into + 1 < args.size() ? args[into + 1] : QString();
    const qint64 count = !args.isEmpty() && into != 0 ? args[0].toLongLong() : 1000000;
    QTemporaryDir dir;
    const QString log = dir.filePath("bench.log");
    if (!bench::writeSkySpyLog(log, count))
        return 1;
    std::printf("Importing %lld SkySpy messages (%.0f MB)...\n", count,
                double(QFile(log).size()) / 1e6);
    const ImportRun run = runImport(dir.filePath("store"), "SkySpy", log);
    const double seconds = run.seconds;
    const double peak = bench::childrenPeakMemoryMB();
    std::printf("%s", run.output.constData());
    std::printf("exit status:     %d\n", run.exitCode);
    std::printf("import:          %.0f messages/s (%.1f s; target >= 40000)\n",
                double(count) / seconds, seconds);
    std::printf("peak memory:     %.0f MB (target < 200)\n", peak);
    if (run.exitCode != 0)
        return run.exitCode;

    const Floor floor = plainInserts(dir.filePath("store"), dir.filePath("floor"));
    const double importRate = double(floor.rows) / seconds;
    const double floorRate = double(floor.rows) / floor.seconds;
    std::printf("stored rows:     %lld\n", floor.rows);
    std::printf("import rate:     %.0f rows/s (whole process)\n", importRate);
    std::printf("plain INSERTs:   %.0f rows/s (%.1f s, of which closing %.1f s; same rows, "
                "indexes, batches of %d)\n",
                floorRate, floor.seconds, floor.closeSeconds, MessageRecorder::kBulkBatchLimit);
    std::printf("ratio:           %.2f (target >= 0.8)\n", importRate / floorRate);
    std::printf("targets:         ratio %s, memory %s\n",
                importRate >= 0.8 * floorRate ? "met" : "NOT met", peak < 200 ? "met" : "NOT met");
    if (!filled.isEmpty())
        return compareFilledImport(filled, log, count, seconds) ? 0 : 1;
    return compareJsonImport(dir, count, seconds) ? 0 : 1;
}
