#include "ReportRenderer.h"

#include "ReportPageLayout.h"
#include "reports/core/ReportError.h"
#include "store/ReportQuery.h"
#include "store/StoreError.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace corvane
{

// One pass over the rows: from a page start, until the end or after one page.
struct ReportRenderer::Walk {
    explicit Walk(const ReportPageLayout &pageLayout) : layout(pageLayout) {}

    const ReportPageLayout &layout;
    QPainter *painter = nullptr;         // null: count only
    QPagedPaintDevice *device = nullptr; // set: every page, with a new page between
    int firstPage = 0;
    bool onePage = false;
    int totalPages = 0;
    std::vector<PageStart> *starts = nullptr; // filled while counting
    std::function<void(int)> pageDone;
};

ReportRenderer::ReportRenderer(ReportDefinition def, ReportParameters params,
                               const QString &storeFolder, const QString &printedAt,
                               const QString &serverUrl, int statementTimeoutSeconds)
    : m_def(std::move(def)), m_params(std::move(params)), m_folder(storeFolder),
      m_serverUrl(serverUrl), m_statementTimeout(statementTimeoutSeconds), m_printedAt(printedAt)
{
    open();
}

ReportRenderer::~ReportRenderer() = default;

void ReportRenderer::rethrowStoreError(const QString &reason) const
{
    throw ReportError(
        ReportError::QueryRefused,
        QStringLiteral("%1 line %2: %3").arg(m_def.fileName).arg(m_def.queryLine).arg(reason));
}

void ReportRenderer::open()
{
    try {
        m_query =
            std::make_unique<ReportQuery>(m_folder, m_def.attach, m_serverUrl, m_statementTimeout);
        m_query->prepare(m_def.query);
    } catch (const StoreError &e) {
        rethrowStoreError(e.message());
    }
    for (const QString &name : m_query->parameterNames()) {
        const QString *value = m_params.find(name);
        if (!value)
            throw ReportError(
                ReportError::ParameterMissing,
                QStringLiteral("%1 needs the parameter %2").arg(m_def.fileName, name));
        m_query->bind(name, *value);
    }
    const QStringList names = m_query->columnNames();
    const auto indexOf = [&](const QString &field, int line) {
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names[i].compare(field, Qt::CaseInsensitive) == 0)
                return int(i);
        throw ReportError(
            ReportError::FileMalformed,
            QStringLiteral("%1 line %2: the query gives no field \"%3\" (it gives %4)")
                .arg(m_def.fileName)
                .arg(line)
                .arg(field, names.join(QStringLiteral(", "))));
    };
    for (const ReportColumn &c : m_def.columns)
        m_columnIndex.push_back(indexOf(c.field, c.line));
    if (!m_def.groupField.isEmpty())
        m_groupIndex = indexOf(m_def.groupField, m_def.groupLine);
}

void ReportRenderer::cancel()
{
    m_cancelled = true;
    if (m_query)
        m_query->interrupt();
}

QString ReportRenderer::frameText(const QString &pattern, int page, int total) const
{
    QString text = pattern;
    text.replace(QLatin1String("{Title}"), m_def.title)
        .replace(QLatin1String("{Printed}"), m_printedAt)
        .replace(QLatin1String("{Selection}"), m_params.selection())
        .replace(QLatin1String("{Page}"), QString::number(page))
        .replace(QLatin1String("{Pages}"),
                 total > 0 ? QString::number(total) : QStringLiteral("…"));
    return text;
}

int ReportRenderer::walk(Walk &w)
{
    const ReportPageLayout &layout = w.layout;
    const PageStart start = w.firstPage > 0 ? m_pageStarts.at(size_t(w.firstPage)) : PageStart{};
    const bool grouped = m_groupIndex >= 0;
    int page = w.firstPage;
    qint64 row = 0;
    QString group = start.group;
    double y = layout.bodyTop();
    bool pageEmpty = true;

    const auto beginPage = [&] {
        if (w.painter)
            layout.drawPageFrame(*w.painter, frameText(m_def.header, page + 1, w.totalPages),
                                 frameText(m_def.footer, page + 1, w.totalPages));
        y = layout.bodyTop();
        pageEmpty = true;
    };
    const auto endPage = [&]() -> bool {
        if (w.pageDone)
            w.pageDone(page + 1);
        if (w.onePage)
            return false;
        ++page;
        if (w.starts)
            w.starts->push_back({row, group});
        if (w.device)
            w.device->newPage();
        return true;
    };

    try {
        m_query->restart();
        for (; row < start.row && !m_cancelled; ++row)
            if (!m_query->next())
                break;
        beginPage();
        QStringList values;
        while (!m_cancelled && m_query->next()) {
            values.clear();
            for (int index : m_columnIndex)
                values << m_query->text(index);
            const QString rowGroup = grouped ? m_query->text(m_groupIndex) : QString();
            const bool newGroup = grouped && (row == 0 || rowGroup != group);
            // Counting needs only the height; drawing needs the cells.
            const auto cells = w.painter ? layout.cells(values) : std::vector<QStringList>();
            const double rowHeight = w.painter ? layout.rowHeight(cells) : layout.rowHeight(values);
            double height = rowHeight + (newGroup ? layout.headingHeight() : 0);
            if (grouped && !newGroup && pageEmpty)
                height += layout.headingHeight(); // the group carried over from the page before
            if (!pageEmpty && y + height > layout.bodyBottom()) {
                if (!endPage())
                    return page + 1;
                beginPage();
                if (grouped && !newGroup)
                    height += layout.headingHeight();
            }
            if (grouped && (newGroup || pageEmpty)) {
                if (w.painter)
                    layout.drawHeading(*w.painter, y,
                                       m_def.groupCaption + QStringLiteral(": ") + rowGroup +
                                           (newGroup ? QString() : QStringLiteral(" (continued)")));
                y += layout.headingHeight();
            }
            if (w.painter)
                layout.drawRow(*w.painter, y, cells);
            y += rowHeight;
            group = rowGroup;
            pageEmpty = false;
            ++row;
        }
    } catch (const StoreError &e) {
        if (m_cancelled)
            throw ReportError(ReportError::Cancelled,
                              QStringLiteral("%1: cancelled").arg(m_def.fileName));
        rethrowStoreError(e.message());
    }
    if (m_cancelled)
        throw ReportError(ReportError::Cancelled,
                          QStringLiteral("%1: cancelled").arg(m_def.fileName));
    if (row == 0 && w.painter)
        layout.drawNote(*w.painter, layout.bodyTop(), QStringLiteral("No records."));
    if (w.pageDone)
        w.pageDone(page + 1);
    return page + 1;
}

int ReportRenderer::countPages(const QSizeF &pagePoints)
{
    if (m_countedFor == pagePoints && !m_pageStarts.empty())
        return int(m_pageStarts.size());
    m_pageStarts.assign(1, PageStart{});
    const ReportPageLayout layout(m_def, pagePoints);
    Walk w(layout);
    w.starts = &m_pageStarts;
    walk(w);
    m_countedFor = pagePoints;
    return int(m_pageStarts.size());
}

void ReportRenderer::paintPage(QPainter &painter, const QSizeF &pagePoints, int index,
                               int totalPages)
{
    if (index > 0 && (m_countedFor != pagePoints || size_t(index) >= m_pageStarts.size()))
        countPages(pagePoints);
    if (size_t(index) >= std::max<size_t>(m_pageStarts.size(), 1))
        return;
    const ReportPageLayout layout(m_def, pagePoints);
    Walk w(layout);
    w.painter = &painter;
    w.firstPage = index;
    w.onePage = true;
    w.totalPages = totalPages;
    walk(w);
}

int ReportRenderer::print(QPagedPaintDevice &device, const std::function<void(int)> &pageDone)
{
    device.setPageOrientation(m_def.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const QSizeF page = device.pageLayout().paintRect(QPageLayout::Point).size();
    const int total = m_def.needsPageCount() ? countPages(page) : 0;
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(ReportError::OutputFailed,
                          QStringLiteral("%1: the output cannot be written").arg(m_def.fileName));
    ReportPageLayout::scaleToUnits(painter, device.logicalDpiY());
    const ReportPageLayout layout(m_def, page);
    Walk w(layout);
    w.painter = &painter;
    w.device = &device;
    w.totalPages = total;
    w.pageDone = pageDone;
    const int pages = walk(w);
    painter.end();
    return pages;
}

} // namespace corvane
