// The grid's CSV export over a large store: every message in time order, and
// one registration's messages, each against a floor that only steps through
// the same rows in the same order (no values read, no file).
//   bench_export [messages] [--store DIR]
// With --store the store in DIR is used (generated there first when empty).
// Target: 1,000,000 messages < 10 s.
#include "BenchStoreFolder.h"
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "browse/core/MessageCsvExport.h"
#include "store/MessageViewCursor.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

using namespace corvane;

namespace
{

qint64 readOnly(Store &store, const MessageView &view)
{
    MessageViewCursor rows(store, view,
                           {MessageView::Time, MessageView::Mode, MessageView::Reg,
                            MessageView::Block, MessageView::MsgNo, MessageView::Flight,
                            MessageView::Text, MessageView::Label, MessageView::FileName});
    qint64 n = 0;
    while (rows.next())
        ++n;
    return n;
}

void measure(Store &store, const char *what, const MessageView &view, const QString &out,
             double target)
{
    qint64 floorRows = 0;
    const double floor = bench::secondsOf([&] { floorRows = readOnly(store, view); });
    MessageCsvExport writer(store);
    bool ok = false;
    const double took = bench::secondsOf([&] {
        ok = writer.write(view, out, [](qint64, qint64) { return true; }) ==
             MessageCsvExport::Result::Written;
    });
    std::printf("%-34s %9lld rows %8.3f s  floor %7.3f s  ratio %5.1f  %6.1f MB  (target < %.0f "
                "s) %s\n",
                what, static_cast<long long>(writer.rowsWritten()), took, floor,
                floor > 0 ? took / floor : 0.0, double(QFileInfo(out).size()) / 1e6, target,
                ok && writer.rowsWritten() == floorRows && took < target ? "ok" : "SLOW/FAILED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bench::BenchStoreFolder stores(app.arguments().mid(1), 1000000);
    const QString folder = stores.path();

    Store store;
    store.openForReading(folder);
    const QString out = stores.scratch(QStringLiteral("export.csv"));
    measure(store, "export --csv, all messages", MessageView::all(), out, 10.0);
    QString reg;
    {
        MessageViewCursor first(store, MessageView::all(), {MessageView::Reg});
        if (first.next())
            reg = first.field(0);
    }
    measure(store, "export --csv, one registration", MessageView::byRegistration(reg), out, 10.0);
    measure(store, "export --csv, sorted by text", MessageView::sortedBy(MessageView::Text), out,
            10.0);
    std::printf("peak memory %.0f MB\n", bench::peakMemoryMB());
    QFile::remove(out);
    return 0;
}
