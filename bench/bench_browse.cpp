// Browsing speed on a large store: how long each filter and header click
// takes until the message grid has painted its first rows, the jump to the
// last row, the sort no index serves, and the peak memory of the process.
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "store/ServerUrl.h"
#include "store/Store.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace corvane;

namespace
{

// Until the grid has painted the rows of the new view (a view slower than the
// model's quick wait arrives later, the window answering meanwhile).
double timeToPaint(QTableView *grid, const std::function<void()> &action)
{
    QElapsedTimer t;
    t.start();
    action();
    const auto *model = static_cast<MessageGridModel *>(grid->model());
    while (model->isWorking())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    grid->viewport()->repaint();
    return double(t.nsecsElapsed()) / 1e9;
}

void report(const char *what, double seconds, double target)
{
    std::printf("%-34s %8.3f s  (target < %.1f s) %s\n", what, seconds, target,
                seconds < target ? "ok" : "SLOW");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::setUnattended(true);
    // bench_browse [N]: a fresh store of N generated messages (default one million);
    // bench_browse --store DIR: an existing store, opened read-only;
    // bench_browse --url URL: an existing store on a server.
    QTemporaryDir dir;
    Store store;
    if (argc > 2 && QByteArray(argv[1]) == "--url") {
        std::printf("Browsing the store on %s\n", argv[2]);
        store.openServer(dir.path(), ServerUrl::parse(QString::fromLocal8Bit(argv[2])));
    } else if (argc > 2 && QByteArray(argv[1]) == "--store") {
        std::printf("Browsing the store in %s\n", argv[2]);
        store.openForReading(QString::fromLocal8Bit(argv[2]));
    } else {
        const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
        std::printf("Filling a store with %lld messages...\n", count);
        bench::StoreGenerator::Options options;
        options.messages = count;
        bench::StoreGenerator(options).generate(dir.path());
        store.open(dir.path());
    }
    MainWindow window(store);
    MessageBrowser browser(window, store);
    window.resize(1200, 800);
    window.startUp();
    window.show();
    QApplication::processEvents();
    QTableView *grid = window.messageGrid();
    const auto click = [&](int column) {
        return timeToPaint(grid, [&] { emit grid->horizontalHeader()->sectionClicked(column); });
    };

    report("\"All records\"",
           timeToPaint(grid,
                       [&] {
                           window.filterType()->setCurrentIndex(1);
                           window.filterType()->setCurrentIndex(0);
                       }),
           0.3);
    report("header click \"Date/Time\"", click(0), 0.3);
    report("header click \"Registration\"", click(2), 0.3);
    report("header click \"Flight No\"", click(5), 0.3);

    QElapsedTimer t;
    t.start();
    window.filterType()->setCurrentIndex(MessageBrowser::Registration);
    const double listTime = double(t.nsecsElapsed()) / 1e9;
    std::printf("%-34s %8.3f s  (%d registrations)\n", "distinct registrations list", listTime,
                window.filterValue()->count());
    const QString reg = window.filterValue()->itemText(window.filterValue()->count() / 2);
    report("pick a registration", timeToPaint(grid, [&] { browser.pickFilterValue(reg); }), 0.3);
    std::printf("%-34s %8lld rows\n", "  rows for that registration",
                browser.model()->recordCount());

    window.filterType()->setCurrentIndex(MessageBrowser::AllRecords);
    report("jump to the last row", timeToPaint(grid, [&] { grid->scrollToBottom(); }), 0.3);
    report(
        "back to the middle",
        timeToPaint(
            grid,
            [&] { grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2); }),
        0.3);
    // The sort no index serves is worked out off the window's thread: the
    // click returns at once and the window keeps answering until it is shown.
    MessageGridModel *model = browser.model();
    QElapsedTimer sortClock;
    sortClock.start();
    QElapsedTimer answer;
    answer.start();
    emit grid->horizontalHeader()->sectionClicked(MessageView::Text);
    grid->viewport()->repaint();
    report("header click \"Message Text\" (answer)", double(answer.nsecsElapsed()) / 1e9, 0.3);
    QElapsedTimer gap;
    gap.start();
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, gap.restart()); });
    ticker.start(10);
    while (model->isWorking())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticker.stop();
    grid->viewport()->repaint();
    report("  sorted rows shown", double(sortClock.nsecsElapsed()) / 1e9, 10.0);
    std::printf("%-34s %8.3f s  (longest pause of the window)\n", "  window meanwhile",
                double(longestGap) / 1e3);
    report("  then the last row", timeToPaint(grid, [&] { grid->scrollToBottom(); }), 0.3);

    // A newer view stops a sort under way: how long until it is shown.
    for (const int after : {1000, 5000}) {
        emit grid->horizontalHeader()->sectionClicked(MessageView::Text);
        QEventLoop wait;
        QTimer::singleShot(after, &wait, &QEventLoop::quit);
        wait.exec();
        const QByteArray what =
            "  a time sort " + QByteArray::number(after / 1000) + " s into a text sort";
        report(what.constData(), click(MessageView::Time), 0.3);
    }

    std::printf("%-34s %8.1f MB (target < 300 MB)\n", "peak memory", bench::peakMemoryMB());
    return 0;
}
