// Alert matching: W words against the texts of COUNT live values, compiled
// once and matched in one pass per text, against searching each text for
// each word in turn (the two must find the same alerts). Then the same
// values recorded as the recorder thread's live jobs do, J values a job,
// with the time of the alert step (matching and writing the rows) beside
// the time of the rest of the job.
//
//   bench_alerts [COUNT] [--words W] [--per-job J]
#include "BenchSupport.h"
#include "formats/ImportObserver.h"
#include "formats/LivePassFrame.h"
#include "formats/LiveTypes.h"
#include "live/AlertMatcher.h"
#include "store/AlertLog.h"
#include "store/MessageRecorder.h"
#include "store/MessageTime.h"
#include "store/Store.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <numeric>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qint64 count = 100000;
    qint64 wordCount = 100;
    qint64 perJob = 1000;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--words") && i + 1 < args.size())
            wordCount = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--per-job") && i + 1 < args.size())
            perJob = qMax<qint64>(1, args[++i].toLongLong());
        else if (!args[i].startsWith(QLatin1String("--")))
            count = args[i].toLongLong();
        else {
            std::fprintf(stderr, "usage: bench_alerts [COUNT] [--words W] [--per-job J]\n");
            return 2;
        }
    }
    // The words of bench_live --alerts: registrations and a word never sent.
    QStringList words{QStringLiteral("MAYDAY")};
    for (qint64 i = 1; i < wordCount; ++i)
        words << QStringLiteral("N%1").arg(10000 + i);
    bench::Traffic traffic;
    QStringList texts;
    for (qint64 i = 0; i < count; ++i)
        texts << TextCodec::decode(traffic.skySpyBlock(i));

    QElapsedTimer t;
    t.start();
    const AlertMatcher matcher(words);
    const double compileMs = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    qint64 found = 0;
    for (const QString &text : texts)
        found += qint64(matcher.match(text).size());
    const double oneSeconds = double(t.nsecsElapsed()) / 1e9;
    t.restart();
    qint64 naive = 0;
    for (const QString &text : texts)
        for (const QString &word : words)
            naive += text.contains(word) ? 1 : 0;
    const double eachSeconds = double(t.nsecsElapsed()) / 1e9;

    std::printf(
        "%lld words, %lld texts of %lld characters on average\n", wordCount, count,
        count ? qint64(std::accumulate(texts.cbegin(), texts.cend(), qint64(0),
                                       [](qint64 n, const QString &s) { return n + s.size(); }) /
                       count)
              : 0);
    std::printf("compile:         %.2f ms\n", compileMs);
    std::printf("one pass:        %.2f s (%.2f us a text)\n", oneSeconds,
                oneSeconds * 1e6 / double(qMax<qint64>(1, count)));
    std::printf("word by word:    %.2f s (%.2f us a text)\n", eachSeconds,
                eachSeconds * 1e6 / double(qMax<qint64>(1, count)));
    std::printf("alerts found:    %lld (word by word: %lld)\n", found, naive);

    // The live jobs of the recorder thread, with and without their alert step.
    QTemporaryDir dir;
    Store store;
    store.open(dir.path());
    MessageRecorder recorder(store);
    LivePassFrame frame(store, recorder);
    const LiveType &type = *LiveTypes::find(QStringLiteral("SkySpy"));
    ImportObserver none;
    qint64 recordNs = 0, alertNs = 0, stored = 0;
    for (qint64 first = 0; first < count; first += perJob) {
        const QStringList job = texts.mid(first, perJob);
        t.restart();
        LivePassResult last;
        for (const QString &value : job) {
            last = frame.read(type, value, nullptr, none);
            stored += last.stored;
        }
        recorder.commitBatch();
        frame.writeLastValue(last, none);
        frame.endOfPass(last);
        recordNs += t.nsecsElapsed();
        t.restart();
        AlertLog(store).add(matcher.rowsFor(job, MessageTime::now().toStorage()));
        alertNs += t.nsecsElapsed();
    }
    std::printf("live jobs:       %lld stored in %.2f s, %lld values a job\n", stored,
                double(recordNs) / 1e9, perJob);
    std::printf("alert step:      %.3f s, %lld rows (%.1f %% of the jobs' time; target < 5 %%)\n",
                double(alertNs) / 1e9, AlertLog(store).count(),
                100.0 * double(alertNs) / double(qMax<qint64>(1, recordNs)));
    return found == naive && stored == count ? 0 : 1;
}
