// The window while it imports: the real main window (offscreen) imports a
// generated SkySpy log through its own import run, while a 10 ms timer on the
// window's thread measures the longest wait between two of its ticks, which
// is the longest any window event waited.
#include "BenchSupport.h"
#include "app/Dialogs.h"
#include "app/ImportController.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "recording/RecorderThread.h"
#include "store/Store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace corvane;

int main(int argc, char **argv)
{
    // Offscreen, and settings of its own: the user's "Decoder" must not
    // decide what the benchmark reads.
    QTemporaryDir dir;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    QApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    Dialogs::setUnattended(true);

    const QString log = dir.filePath("bench.log");
    const QString folder = dir.filePath("store");
    if (!bench::writeSkySpyLog(log, count) || !QDir().mkpath(folder))
        return 1;
    std::printf("Importing %lld SkySpy messages (%.0f MB) through the window...\n", count,
                double(QFile(log).size()) / 1e6);

    Store store;
    store.open(folder);
    RecorderThread recorder;
    QString why;
    if (!recorder.start(folder, &why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    MainWindow window(store);
    ImportController importer(window, recorder);
    MessageBrowser browser(window, store);
    window.startUp();
    window.show();
    QApplication::processEvents();

    QTimer tick;
    tick.setInterval(10);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, &tick,
                     [&] { longest = qMax(longest, sinceTick.restart()); });
    qint64 stored = 0;
    QEventLoop loop;
    QObject::connect(&importer, &ImportController::runFinished, &loop, [&](qint64 n, bool) {
        stored = n;
        loop.quit();
    });

    QElapsedTimer clock;
    clock.start();
    importer.importFiles({log});
    sinceTick.start();
    tick.start();
    loop.exec();
    tick.stop();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;

    std::printf("stored:            %lld of %lld\n", stored, count);
    std::printf("longest wait:      %lld ms (target < 100) %s\n", longest,
                longest < 100 ? "ok" : "SLOW");
    std::printf("import:            %.0f messages/s (%.1f s)\n", double(stored) / seconds, seconds);
    std::printf("peak memory:       %.0f MB\n", bench::peakMemoryMB());
    return stored == count && longest < 100 ? 0 : 1;
}
