// Writes a realistic store for benchmarks and trials:
//   bench_generate --messages N --out DIR [--seed S] [--today K]
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

using namespace corvane;

namespace
{

int usage(const char *why)
{
    std::fprintf(stderr,
                 "%s\nusage: bench_generate --messages N --out DIR [--seed S] [--today K]\n", why);
    return 2;
}

bool readNumber(const QString &text, std::int64_t &value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bench::StoreGenerator::Options options;
    options.messages = -1;
    QString out;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usage(qPrintable(args[i] + QStringLiteral(" needs a value")));
        const QString &name = args[i], &value = args[i + 1];
        std::int64_t number = 0;
        if (name == u"--out")
            out = value;
        else if (!readNumber(value, number))
            return usage(qPrintable(name + QStringLiteral(" needs a whole number")));
        else if (name == u"--messages")
            options.messages = number;
        else if (name == u"--seed")
            options.seed = std::uint64_t(number);
        else if (name == u"--today")
            options.today = number;
        else
            return usage(qPrintable(QStringLiteral("unknown option ") + name));
    }
    if (options.messages < 0 || out.isEmpty())
        return usage("--messages and --out are required");
    if (options.today > options.messages)
        return usage("--today cannot exceed --messages");

    std::printf("Generating %lld messages into %s (seed %llu)...\n",
                static_cast<long long>(options.messages), qPrintable(out),
                static_cast<unsigned long long>(options.seed));
    QElapsedTimer t;
    t.start();
    bench::StoreGenerator::Summary s;
    try {
        s = bench::StoreGenerator(options).generate(out, [](std::int64_t written) {
            if (written % 1000000 == 0)
                std::fprintf(stderr, "  %lld\n", static_cast<long long>(written));
        });
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    std::printf("messages:        %lld (%lld uplinks, %lld today)\n",
                static_cast<long long>(s.messages), static_cast<long long>(s.uplinks),
                static_cast<long long>(s.today));
    std::printf("heard pairs:     %d\nheard aircraft:  %d\n", s.heardPairs, s.heardAircraft);
    std::printf("reference rows:  %d aircraft, %d carriers, %d routes, %d labels\n", s.aircraftRows,
                s.carrierRows, s.routeRows, s.labelRows);
    std::printf("log files:       %d\n", s.logFiles);
    std::printf("time:            %.1f s (%.0f messages/s)\n", seconds,
                double(s.messages) / seconds);
    std::printf("peak memory:     %.0f MB\n", bench::peakMemoryMB());
    return 0;
}
