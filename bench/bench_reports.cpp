// Printed reports on a large store: "All - by Date" over every message into a
// PDF (the corvane report command, as a user runs it), and the preview's first
// page and page count in the window's preview.
//   bench_reports [messages] [--store DIR]
// With --store the store in DIR is used (generated there first when empty).
// The floor is reading the report's rows alone, measured in the same run.
// Targets: the PDF < 30 s and < 300 MB; the preview's first page < 1 s.
#include "BenchStoreFolder.h"
#include "BenchSupport.h"
#include "StoreGenerator.h"
#include "app/Dialogs.h"
#include "reports/ReportPreview.h"
#include "reports/core/ReportLocator.h"
#include "reports/core/ReportParameterField.h"
#include "reports/core/ReportParameters.h"
#include "reports/render/ReportPrinter.h"
#include "reports/render/ReportRenderer.h"
#include "store/ReportQuery.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

using namespace corvane;

namespace
{

void report(const char *what, double value, double target, double floor)
{
    std::printf("%-40s %9.3f s  (%5.1f x floor; target < %.0f s) %s\n", what, value,
                floor > 0 ? value / floor : 0.0, target, value < target ? "ok" : "SLOW");
}

// The first and last day of the stored messages.
QPair<QDate, QDate> storedDays(const QString &folder)
{
    ReportQuery q(folder, {});
    q.prepare(QStringLiteral("SELECT substr(MIN(mTime), 1, 10), substr(MAX(mTime), 1, 10), "
                             "COUNT(*) FROM tMessage"));
    q.next();
    std::printf("store: %s messages\n", qPrintable(q.text(2)));
    return {QDate::fromString(q.text(0), Qt::ISODate), QDate::fromString(q.text(1), Qt::ISODate)};
}

QStringList dateFields(const QPair<QDate, QDate> &days)
{
    return {ReportParameterField::forDate(QStringLiteral("DateFrom"), days.first),
            ReportParameterField::forDate(QStringLiteral("DateTo"), days.second)};
}

// Reading every row of the report's query, nothing laid out.
double readingFloor(const QString &folder, const QString &file, const QStringList &fields)
{
    ReportPrinter printer(folder);
    printer.setReportFile(file);
    for (int i = 0; i < fields.size(); ++i)
        printer.setParameterField(i, fields[i]);
    const ReportDefinition def = printer.print()->definition();
    const ReportParameters params = ReportParameters::fromFields(fields);
    return bench::secondsOf([&] {
        ReportQuery q(folder, def.attach);
        q.prepare(def.query);
        for (const auto &b : params.bindings())
            q.bind(b.first, b.second);
        qint64 n = 0;
        while (q.next())
            n += q.text(0).size();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Dialogs::setUnattended(true);
    const bench::BenchStoreFolder stores(app.arguments().mid(1), 100000);
    const QString folder = stores.path();
    std::printf("load average before: %s\n", qPrintable(bench::loadAverage()));
    const QString file = QDir(QStringLiteral(CORVANE_BINARY_DIR)).filePath("allbydate.rpt");
    const auto days = storedDays(folder);
    const QStringList fields = dateFields(days);
    const double floor = readingFloor(folder, file, fields);
    std::printf("%-40s %9.3f s\n", "floor: reading the report's rows", floor);

    // The command as a user runs it; the report file is found beside it.
    const QString pdf = stores.scratch(QStringLiteral("allbydate.pdf"));
    QString output;
    const double pdfTime = bench::secondsOf([&] {
        QProcess p;
        p.start(QStringLiteral(CORVANE_BINARY), {"--data-dir", folder, "report", "allbydate",
                                                 "--from", days.first.toString(Qt::ISODate), "--to",
                                                 days.second.toString(Qt::ISODate), "--pdf", pdf});
        p.waitForFinished(600000);
        output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    });
    std::printf("corvane report: %s\n", qPrintable(output));
    report("allbydate to PDF (corvane report)", pdfTime, 30, floor);
    const double memory = bench::childrenPeakMemoryMB();
    std::printf("%-40s %9.0f MB (target < 300 MB) %s; PDF %.1f MB\n", "  its peak memory", memory,
                memory < 300 ? "ok" : "LARGE", double(QFile(pdf).size()) / 1e6);

    // The window's preview: from choosing the report to its first page.
    ReportPrinter printer(folder);
    for (int i = 0; i < fields.size(); ++i)
        printer.setParameterField(i, fields[i]);
    printer.setReportFile(file);
    QElapsedTimer t;
    t.start();
    ReportPreview preview(printer.print(), folder);
    QSignalSpy shown(&preview, &ReportPreview::pageShown);
    shown.wait(60000);
    const double first = double(t.nsecsElapsed()) / 1e9;
    if (!QTest::qWaitFor([&] { return preview.pageCount() > 0; }, 600000))
        std::printf("the pages were not counted in 10 minutes\n");
    const double counted = double(t.nsecsElapsed()) / 1e9;
    report("preview: first page", first, 1, floor);
    std::printf("%-40s %9.3f s  (%d pages; Next, Print and PDF wait for it)\n",
                "preview: pages counted", counted, preview.pageCount());
    std::printf("load average after: %s\n", qPrintable(bench::loadAverage()));
    return 0;
}
