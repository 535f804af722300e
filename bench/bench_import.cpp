// End-to-end import: a generated SkySpy log read by `corvane import` into a
// fresh store.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir dir;
    const QString log = dir.filePath("bench.log");
    {
        QFile f(log);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        bench::Traffic traffic;
        f.write("SkySpy log\r\n");
        for (qint64 i = 0; i < count; ++i)
            f.write(traffic.skySpyBlock(i));
    }
    std::printf("Importing %lld SkySpy messages (%.0f MB)...\n", count,
                double(QFile(log).size()) / 1e6);
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(CORVANE_BINARY),
            {"import", "--data-dir", dir.filePath("store"), "--decoder", "SkySpy", log});
    p.waitForFinished(-1);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    std::printf("%s", p.readAllStandardOutput().constData());
    std::printf("exit status:     %d\n", p.exitCode());
    std::printf("import:          %.0f messages/s (%.1f s; target >= 40000)\n",
                double(count) / seconds, seconds);
    std::printf("peak memory:     %.0f MB (target < 200)\n", bench::childrenPeakMemoryMB());
    return p.exitCode();
}
