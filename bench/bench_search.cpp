// Search speed and cost on a realistic store:
//   bench_search --store DIR [--word W] [--substring S] [--record N]
// DIR holds a store of bench_generate (a copy: an older store is upgraded,
// which builds its search index, and that is timed too). Reports the first
// 500 hits of a word and of a three-character substring against a plain scan
// of the messages, the whole hit list as the grid reads it, the store's bytes
// per message with and without the index, and the recorder's rate with and
// without the index on N messages of the traffic model.
#include "BenchSupport.h"
#include "MessageStream.h"
#include "StoreGenerator.h"
#include "TrafficModel.h"
#include "store/MessagePager.h"
#include "store/MessageRecorder.h"
#include "store/MessageSearch.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvane;

namespace
{

constexpr qint64 kFirstHits = 500;
constexpr int kRuns = 5;

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

qint64 single(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    return st.step() ? st.int64(0) : 0;
}

// The first, cold run and the median of the runs after it.
struct Timing {
    double first = 0;
    double median = 0;
};

template <typename F> Timing timeRuns(F run)
{
    Timing timing;
    std::vector<double> runs;
    for (int i = 0; i <= kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        (i == 0 ? timing.first : runs.emplace_back()) = seconds(t);
    }
    std::sort(runs.begin(), runs.end());
    timing.median = runs[runs.size() / 2];
    return timing;
}

// The same first hits read by looking at every message, newest first.
qint64 scanFirstHits(SqliteDb &db, const QString &text)
{
    SqliteStatement st(db, "SELECT rowid FROM tMessage INDEXED BY idxMessageTime "
                           "WHERE instr(lower(mText), ?1) > 0 OR instr(lower(mReg), ?1) > 0 "
                           "OR instr(lower(mFlight), ?1) > 0 OR instr(lower(mLabel), ?1) > 0 "
                           "ORDER BY mTime DESC LIMIT 500");
    st.bind(1, text.toLower());
    qint64 n = 0;
    while (st.step())
        ++n;
    return n;
}

void measureQuery(Store &store, const QString &text, qint64 messages)
{
    const MessageView view = MessageView::all().withSearch(text);
    QElapsedTimer t;
    t.start();
    const qint64 hits = view.count(store);
    const double countSeconds = seconds(t);
    std::printf("\n\"%s\": %lld hits (%.3f %% of messages), counted in %.3f s\n", qPrintable(text),
                static_cast<long long>(hits), 100.0 * double(hits) / double(messages),
                countSeconds);
    size_t found = 0;
    const Timing first =
        timeRuns([&] { found = MessageSearch::find(store, view, kFirstHits).size(); });
    std::printf("  first %zu hits, index:   cold %.4f s, median %.4f s\n", found, first.first,
                first.median);
    qint64 scanned = 0;
    QElapsedTimer s;
    s.start();
    scanned = scanFirstHits(store.acarsLog(), text);
    const double scan = seconds(s);
    std::printf("  first %lld hits, scan:    %.4f s (index %.1f times faster)\n",
                static_cast<long long>(scanned), scan, scan / std::max(first.median, 1e-6));
    MessagePager pager(store);
    const Timing all = timeRuns([&] { pager.setView(view); });
    std::printf("  the grid's whole list:  cold %.3f s, median %.3f s (%lld rows)\n", all.first,
                all.median, static_cast<long long>(pager.rowCount()));
}

void measureSize(Store &store, qint64 messages)
{
    SqliteDb &db = store.acarsLog();
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const qint64 bytes = QFileInfo(store.path(Schema::File::AcarsLog)).size();
    const qint64 index =
        single(db, "SELECT coalesce(sum(pgsize), 0) FROM dbstat WHERE name LIKE 'MessageSearch%'");
    const double per = double(bytes) / double(std::max<qint64>(1, messages));
    const double without = double(bytes - index) / double(std::max<qint64>(1, messages));
    std::printf("\nstore:                  %.0f bytes/message with the index, %.0f without\n", per,
                without);
    std::printf("index:                  %.0f bytes/message; store with / without %.2f "
                "(target <= 2.5)\n",
                per - without, per / std::max(without, 1.0));
}

// Messages per second through the recorder into a fresh store. Without the
// index, its writes land in a view that keeps nothing.
double recordingRate(const QString &dir, qint64 count, bool withIndex)
{
    Store store;
    store.open(dir);
    if (!withIndex)
        store.acarsLog().exec(
            "CREATE TEMP VIEW MessageSearch AS SELECT NULL AS mText, NULL AS mReg, "
            "NULL AS mFlight, NULL AS mLabel; CREATE TEMP TRIGGER MessageSearchNothing INSTEAD OF "
            "INSERT ON MessageSearch BEGIN SELECT 1; END");
    MessageRecorder recorder(store);
    bench::TrafficModel model(1, {});
    bench::MessageStream::Options options;
    options.messages = count;
    bench::MessageStream stream(model, options);
    QElapsedTimer t;
    t.start();
    while (stream.next())
        recorder.storeMessage(bench::toRecord(stream.message()), nullptr);
    recorder.commitBatch();
    return double(count) / seconds(t);
}

int usage(const char *why)
{
    std::fprintf(stderr,
                 "%s\nusage: bench_search --store DIR [--word W] [--substring S] [--record N]\n",
                 why);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString dir;
    QStringList queries = {QStringLiteral("VHHH/STA"), QStringLiteral("RWY")};
    qint64 record = 100000;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage("every option needs a value");
        const QString &name = args[i], &value = args[i + 1];
        if (name == u"--store")
            dir = value;
        else if (name == u"--word")
            queries[0] = value;
        else if (name == u"--substring")
            queries[1] = value;
        else if (name == u"--record")
            record = value.toLongLong();
        else
            return usage("unknown option");
    }
    if (dir.isEmpty())
        return usage("--store is required");

    std::printf("load average at start: %s\n", qPrintable(bench::loadAverage()));
    try {
        Store store;
        QElapsedTimer t;
        t.start();
        store.open(dir,
                   [](const QString &text) { std::fprintf(stderr, "  %s\n", qPrintable(text)); });
        std::printf("open (an older store builds its index): %.1f s\n", seconds(t));
        const qint64 messages = single(store.acarsLog(), "SELECT count(*) FROM tMessage");
        std::printf("messages:               %lld\n", static_cast<long long>(messages));
        measureSize(store, messages);
        for (const QString &query : queries)
            measureQuery(store, query, messages);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }

    if (record > 0) {
        QTemporaryDir work;
        const double with = recordingRate(work.filePath(QStringLiteral("with")), record, true);
        const double without =
            recordingRate(work.filePath(QStringLiteral("without")), record, false);
        std::printf("\nrecorder, %lld messages: %.0f/s with the index, %.0f/s without, ratio %.2f "
                    "(target >= 0.4)\n",
                    static_cast<long long>(record), with, without, with / without);
    }
    std::printf("peak memory:            %.0f MB\n", bench::peakMemoryMB());
    std::printf("load average at end:    %s\n", qPrintable(bench::loadAverage()));
    return 0;
}
