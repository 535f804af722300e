// Alert matching alone: W words against the texts of COUNT live values,
// compiled once and matched in one pass per text, against searching each
// text for each word in turn. The two must find the same alerts.
//
//   bench_alerts [COUNT] [--words W]
#include "BenchSupport.h"
#include "alerts/core/AlertMatcher.h"
#include "store/TextCodec.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <numeric>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qint64 count = 100000;
    qint64 wordCount = 100;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--words") && i + 1 < args.size())
            wordCount = args[++i].toLongLong();
        else if (!args[i].startsWith(QLatin1String("--")))
            count = args[i].toLongLong();
        else {
            std::fprintf(stderr, "usage: bench_alerts [COUNT] [--words W]\n");
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
    return found == naive ? 0 : 1;
}
