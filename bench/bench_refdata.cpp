// Reference data at scale: an aircraft list and a route file loaded into a
// fresh store, and duplicate removal on realistic stores.
//   bench_refdata [--large N] [--skip-large] [--dir DIR]
// Targets: 100,000 aircraft lines < 2 s, 50,000 route lines < 1 s, removal
// < 5 s at 1,000,000 messages and < 60 s at N (default 10,000,000).
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "store/AircraftListLoad.h"
#include "store/MessageView.h"
#include "store/RouteFileLoad.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;

namespace
{

constexpr int kAircraftLines = 100000;
constexpr int kRouteLines = 50000;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray aircraftList()
{
    static const char *const kTypes[] = {"A320", "B738", "A319", "E190", "B77W", "A333", "C172"};
    static const char *const kCarriers[] = {"BAW", "EZY", "DLH", "AFR", "KLM", "RYR", "---"};
    QByteArray text;
    for (int i = 0; i < kAircraftLines; ++i)
        text += "G-" + QByteArray::number(i, 36).toUpper().rightJustified(5, '0') + ',' +
                kCarriers[i % 7] + ',' + kTypes[(i / 7) % 7] + ',' + QByteArray::number(i * 7) +
                "\r\n";
    return text;
}

QByteArray routeFile()
{
    QByteArray text = "! Brellwick routes\r\n";
    for (int i = 0; i < kRouteLines; ++i)
        text += "XY" + QByteArray::number(i) + "=EGLL-" +
                QByteArray::number(i % 997 + 1000, 36).toUpper() + "-KJFK\r\n";
    return text;
}

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

void benchLoads(const QString &root)
{
    const QString dir = root + QStringLiteral("/loads");
    QDir().mkpath(dir);
    const QString aircraft = dir + QStringLiteral("/aircraft.csv");
    const QString routes = dir + QStringLiteral("/routes.bwd");
    writeFile(aircraft, aircraftList());
    writeFile(routes, routeFile());
    Store store;
    store.open(dir + QStringLiteral("/store"));

    QElapsedTimer t;
    t.start();
    const auto added = AircraftListLoad(store).load(aircraft);
    std::printf("aircraft load, %d lines, new:      %6.3f s (%lld added)   target < 2 s\n",
                kAircraftLines, seconds(t), static_cast<long long>(added.added));
    t.restart();
    const auto updated = AircraftListLoad(store).load(aircraft);
    std::printf("aircraft load, %d lines, known:    %6.3f s (%lld updated)\n", kAircraftLines,
                seconds(t), static_cast<long long>(updated.updated));

    t.restart();
    const auto fresh = RouteFileLoad(store).load(routes);
    std::printf("route load, %d lines, new:          %6.3f s (%lld added)    target < 1 s\n",
                kRouteLines, seconds(t), static_cast<long long>(fresh.added));
    t.restart();
    const auto kept = RouteFileLoad(store).load(routes);
    std::printf("route load, %d lines, known:        %6.3f s (%lld kept)\n", kRouteLines,
                seconds(t), static_cast<long long>(kept.kept));
}

void benchRemoval(const QString &root, qint64 messages, double target)
{
    const QString dir = root + QStringLiteral("/store%1").arg(messages);
    bench::StoreGenerator::Options options;
    options.messages = messages;
    QElapsedTimer t;
    t.start();
    bench::StoreGenerator(options).generate(dir);
    std::printf("generated %lld messages in %.1f s\n", static_cast<long long>(messages),
                seconds(t));
    std::fflush(stdout);

    Store store;
    store.open(dir);
    t.restart();
    StoreCleanup cleanup(store);
    cleanup.setStatus([&t](const QString &text) {
        std::printf("  %6.2f s  %s\n", seconds(t), qPrintable(text));
    });
    const auto first = cleanup.removeDuplicates(MessageView::all());
    std::printf("remove duplicates, %lld messages:   %6.2f s (%lld removed, %lld left)   "
                "target < %.0f s\n",
                static_cast<long long>(messages), seconds(t), static_cast<long long>(first.removed),
                static_cast<long long>(first.left), target);
    t.restart();
    const auto again = StoreCleanup(store).removeDuplicates(MessageView::all());
    std::printf("  again, nothing to remove:        %6.2f s (%lld removed)\n", seconds(t),
                static_cast<long long>(again.removed));
    std::fflush(stdout);
    store.close();
    QDir(dir).removeRecursively();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    qint64 large = 10000000;
    bool skipLarge = false;
    QString root;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--large" && i + 1 < args.size())
            large = args[++i].toLongLong();
        else if (args[i] == u"--skip-large")
            skipLarge = true;
        else if (args[i] == u"--dir" && i + 1 < args.size())
            root = args[++i];
        else {
            std::fprintf(stderr, "usage: bench_refdata [--large N] [--skip-large] [--dir DIR]\n");
            return 2;
        }
    }
    QTemporaryDir temp(root.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_refdata-XXXXXX")
                                      : root + QStringLiteral("/bench_refdata-XXXXXX"));
    if (!temp.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    try {
        benchLoads(temp.path());
        benchRemoval(temp.path(), 1000000, 5);
        if (!skipLarge)
            benchRemoval(temp.path(), large, 60);
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("peak memory %.0f MB\n", bench::peakMemoryMB());
    return 0;
}
