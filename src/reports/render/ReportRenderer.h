#pragma once

#include "reports/core/ReportDefinition.h"
#include "reports/core/ReportParameters.h"

#include <QSizeF>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace corvane
{

class ReportQuery;
class ReportPageLayout;

// Lays a report's rows out on pages as they come from the store, holding one
// row at a time. Where the header or footer shows the page total, a first
// pass counts the pages (keeping only where each page starts), a second
// draws them. Not for use from two threads at once; cancel() may come from
// any thread.
class ReportRenderer
{
public:
    // Opens the read-only query and checks it against the definition: every
    // parameter it names is given, every column's field is one it returns.
    // Throws ReportError naming the file. With a server's URL the query
    // reads the server's store.
    // statementTimeoutSeconds bounds the query's work (see ReportQuery).
    ReportRenderer(ReportDefinition def, ReportParameters params, const QString &storeFolder,
                   const QString &printedAt, const QString &serverUrl = {},
                   int statementTimeoutSeconds = 0);
    ~ReportRenderer();

    const ReportDefinition &definition() const { return m_def; }

    // Prints every page on the device, which must not be painted on yet.
    // Returns the number of pages.
    int print(QPagedPaintDevice &device, const std::function<void(int)> &pageDone = {});

    // The number of pages on pages of this size (points); remembers where
    // each starts, so paintPage() needs no pass over the earlier rows' layout.
    int countPages(const QSizeF &pagePoints);
    // Draws one page (from 0) in layout units; totalPages 0 when not known yet.
    void paintPage(QPainter &painter, const QSizeF &pagePoints, int index, int totalPages);

    void cancel();

private:
    struct PageStart {
        qint64 row = 0;
        QString group;
    };
    struct Walk;

    void open();
    int walk(Walk &w);
    QString frameText(const QString &pattern, int page, int total) const;
    [[noreturn]] void rethrowStoreError(const QString &reason) const;

    ReportDefinition m_def;
    ReportParameters m_params;
    QString m_folder;
    QString m_serverUrl;
    int m_statementTimeout = 0;
    QString m_printedAt;
    std::unique_ptr<ReportQuery> m_query;
    std::vector<int> m_columnIndex;
    int m_groupIndex = -1;
    QSizeF m_countedFor;
    std::vector<PageStart> m_pageStarts;
    std::atomic<bool> m_cancelled{false};
};

} // namespace corvane
