// Lookup and register speed on a large store: the detail panel's refresh on
// a row change, deleting one message and a pair of about 1,000 messages,
// the explorer's first rows and a type-ahead jump, and the register grids'
// first rows and header sorts.
//   bench_lookups [messages] [--store DIR]
// With --store the store in DIR is used (generated there first when empty);
// deletions change it.
#include "BenchStoreFolder.h"
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "browse/AircraftExplorer.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageDetailPanel.h"
#include "browse/MessageGridModel.h"
#include "browse/RegisterBrowser.h"
#include "browse/TableGridModel.h"
#include "recording/RecorderThread.h"
#include "store/MessageDeletion.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace corvane;

namespace
{

// Until the grid has laid out and painted its first rows.
double painted(QTableView *grid, const std::function<void()> &action)
{
    return bench::secondsOf([&] {
        action();
        for (int r = 0; r < 40 && r < grid->model()->rowCount(); ++r)
            grid->model()->index(r, 0).data();
        QCoreApplication::processEvents();
        grid->viewport()->repaint();
    });
}

void report(const char *what, double value, double target)
{
    std::printf("%-44s %9.3f ms  (target < %.0f ms) %s\n", what, value * 1e3, target * 1e3,
                value < target ? "ok" : "SLOW");
}

struct Spread {
    double median = 0, worst = 0;
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? Spread{} : Spread{v[v.size() / 2], v.back()};
}

qint64 scalar(Store &store, const char *sql)
{
    SqliteStatement st(store.acarsLog(), sql);
    return st.step() ? st.int64(0) : 0;
}

// A pair with about 1,000 messages: the one nearest below, topped up through
// the recorder when it has fewer.
std::pair<QString, QString> pairOfAThousand(Store &store)
{
    SqliteStatement st(store.acarsLog(),
                       "SELECT Registration, Flight, TimesHeard FROM ACARSLOG WHERE TimesHeard "
                       "<= 1000 AND Flight <> 'Uplink' ORDER BY TimesHeard DESC LIMIT 1");
    st.step();
    const QString reg = st.text(0), flight = st.text(1);
    const qint64 have = st.int64(2);
    st.reset();
    MessageRecorder recorder(store);
    for (qint64 i = have; i < 1000; ++i) {
        MessageRecord m;
        m.mMode = "2";
        m.mReg = reg;
        m.mLabel = "H1";
        m.mBlk = "1";
        m.mNo = "M01A";
        m.mFlight = flight;
        m.mText = "ADDED FOR THE PAIR DELETION";
        m.mTime = MessageTime::fromDateTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(i));
        m.mFileName = "bench";
        recorder.storeMessage(m, nullptr);
    }
    recorder.commitBatch();
    std::printf("pair deleted: %s/%s (%lld messages before top-up)\n", qPrintable(reg),
                qPrintable(flight), static_cast<long long>(have));
    return {reg, flight};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::setUnattended(true);
    bench::StoreGenerator::Options options;
    options.sizes.registrations = 100000;
    options.sizes.pairs = 400000;
    const bench::BenchStoreFolder stores(app.arguments().mid(1), 1000000, options);
    const QString folder = stores.path();

    Store store;
    store.open(folder);
    std::printf("store: %lld messages, %lld pairs, %lld heard aircraft, %lld aircraft, "
                "%lld routes\n",
                static_cast<long long>(scalar(store, "SELECT COUNT(*) FROM tMessage")),
                static_cast<long long>(scalar(store, "SELECT COUNT(*) FROM ACARSLOG")),
                static_cast<long long>(scalar(store, "SELECT COUNT(*) FROM UniqueAircraft")),
                static_cast<long long>(scalar(store, "SELECT COUNT(*) FROM AIRCRAFT")),
                static_cast<long long>([&] {
                    SqliteStatement st(store.routes(), "SELECT COUNT(*) FROM ROUTES");
                    return st.step() ? st.int64(0) : 0;
                }()));

    RecorderThread idle; // deletions are timed directly below
    MainWindow window(store);
    window.resize(1200, 800);
    MessageBrowser browser(window, store);
    MessageDetailPanel detail(window, store, browser);
    window.show();

    // Detail panel: row changes spread over the grid.
    QTableView *messages = window.messageGrid();
    std::mt19937 rng(7);
    std::vector<double> rowChanges;
    const int rows = messages->model()->rowCount();
    // The user moves to the next row; the grid is already showing the page.
    for (int i = 0; i < 200 && rows > 1; ++i) {
        const int row = int(rng() % unsigned(rows - 1));
        messages->setCurrentIndex(messages->model()->index(row, 0));
        QCoreApplication::processEvents();
        // The lookups and the detail frame painted with their results.
        rowChanges.push_back(bench::secondsOf([&] {
            messages->setCurrentIndex(messages->model()->index(row + 1, 0));
            window.detailFrame()->repaint();
        }));
    }
    const Spread detailSpread = spread(rowChanges);
    {
        std::vector<double> lookups, paints;
        auto *model = qobject_cast<MessageGridModel *>(messages->model());
        for (int i = 0; i < 200 && rows > 0; ++i) {
            const qint64 rowid = model->rowId(int(rng() % unsigned(rows)));
            lookups.push_back(bench::secondsOf([&] { detail.showMessageDetail(rowid); }));
            paints.push_back(bench::secondsOf([&] { window.detailFrame()->repaint(); }));
        }
        std::printf(
            "  lookups median %.3f ms worst %.3f ms; frame paint median %.3f ms worst %.3f ms\n",
            spread(lookups).median * 1e3, spread(lookups).worst * 1e3, spread(paints).median * 1e3,
            spread(paints).worst * 1e3);
    }
    report("detail panel row change (median)", detailSpread.median, 0.010);
    report("detail panel row change (worst of 200)", detailSpread.worst, 0.010);

    // Register grids.
    window.tabs()->setCurrentIndex(MainWindow::TabPairs);
    std::unique_ptr<RegisterBrowser> registers;
    report("register grids, first rows (both)",
           painted(window.pairGrid(),
                   [&] { registers = std::make_unique<RegisterBrowser>(window, store, idle); }),
           0.3);
    const char *pairCaptions[] = {"Registration", "Flight", "First Heard", "Last Heard",
                                  "Times Heard"};
    for (int c = 0; c < 5; ++c) {
        const QByteArray what = QByteArray("pair sort by ") + pairCaptions[c];
        report(what.constData(), painted(window.pairGrid(), [&] { registers->sortPairs(c); }), 0.3);
    }
    report("pair grid, jump to the middle row",
           painted(window.pairGrid(),
                   [&] {
                       const int middle = window.pairGrid()->model()->rowCount() / 2;
                       window.pairGrid()->scrollTo(window.pairGrid()->model()->index(middle, 0));
                   }),
           0.3);
    window.tabs()->setCurrentIndex(MainWindow::TabAircraft);
    const char *aircraftCaptions[] = {"Registration", "First Heard", "Last Heard", "Times Heard"};
    for (int c = 0; c < 4; ++c) {
        const QByteArray what = QByteArray("aircraft sort by ") + aircraftCaptions[c];
        report(what.constData(),
               painted(window.aircraftGrid(), [&] { registers->sortAircraft(c); }), 0.3);
    }

    // Explorer.
    window.tabs()->setCurrentIndex(MainWindow::TabExplorer);
    std::unique_ptr<AircraftExplorer> explorer;
    report("explorer first rows", bench::secondsOf([&] {
               explorer = std::make_unique<AircraftExplorer>(window, store);
               explorer->grid()->viewport()->repaint();
           }),
           0.3);
    const QString far = explorer->model()->field(explorer->model()->rowCount() * 4 / 5, 0);
    report("explorer type-ahead jump",
           painted(explorer->grid(), [&] { explorer->jumpTo(far.left(3)); }), 0.3);

    // Deletions, as the recorder thread's job runs them.
    std::vector<qint64> victims;
    {
        const qint64 maxRowid = scalar(store, "SELECT MAX(rowid) FROM tMessage");
        SqliteStatement next(store.acarsLog(),
                             "SELECT rowid FROM tMessage WHERE rowid >= ? ORDER BY rowid LIMIT 1");
        while (victims.size() < 50) {
            next.bind(1, 1 + qint64(rng() % quint64(maxRowid)));
            if (next.step())
                victims.push_back(next.int64(0));
            next.reset();
        }
    }
    std::vector<double> singles;
    for (qint64 rowid : victims) {
        SqliteStatement which(store.acarsLog(),
                              "SELECT mReg, mFlight FROM tMessage WHERE rowid = ?");
        which.bind(1, rowid);
        which.step();
        const QString what = which.text(0) + '/' + which.text(1);
        which.reset();
        singles.push_back(bench::secondsOf([&] { MessageDeletion(store).deleteMessage(rowid); }));
        if (singles.back() > 0.02)
            std::printf("  slow: %s %.1f ms\n", qPrintable(what), singles.back() * 1e3);
    }
    const Spread singleSpread = spread(singles);
    report("single-message delete (median of 50)", singleSpread.median, 0.050);
    report("single-message delete (worst of 50)", singleSpread.worst, 0.050);

    const auto [reg, flight] = pairOfAThousand(store);
    report("pair delete, 1,000 messages",
           bench::secondsOf([&] { MessageDeletion(store).deletePair(reg, flight); }), 0.5);

    for (const QString &message : Dialogs::shownMessages())
        std::printf("message shown: %s\n", qPrintable(message));
    std::printf("peak memory: %.0f MB\n", bench::peakMemoryMB());
    registers.reset();
    explorer.reset();
    return 0;
}
