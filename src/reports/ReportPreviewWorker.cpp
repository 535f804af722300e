#include "ReportPreviewWorker.h"

#include "reports/core/ReportError.h"
#include "reports/render/ReportPageLayout.h"
#include "reports/render/ReportPdf.h"
#include "reports/render/ReportRenderer.h"

#include <QPainter>
#include <QPrinter>

namespace corvane
{

ReportPreviewWorker::ReportPreviewWorker(std::unique_ptr<ReportRenderer> renderer,
                                         double pixelsPerPoint)
    : m_renderer(std::move(renderer)), m_zoom(pixelsPerPoint)
{
    const QPageLayout layout = ReportPdf::pageLayout(m_renderer->definition().landscape);
    m_page = layout.paintRect(QPageLayout::Point).size();
    m_margins = layout.margins(QPageLayout::Point);
}

ReportPreviewWorker::~ReportPreviewWorker() = default;

void ReportPreviewWorker::cancel()
{
    m_renderer->cancel();
}

void ReportPreviewWorker::renderPage(int index, int totalPages)
{
    const QSizeF full(m_page.width() + m_margins.left() + m_margins.right(),
                      m_page.height() + m_margins.top() + m_margins.bottom());
    QImage image((full * m_zoom).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    try {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(m_zoom, m_zoom);
        painter.translate(m_margins.left(), m_margins.top());
        painter.scale(1 / ReportPageLayout::kUnitsPerPoint, 1 / ReportPageLayout::kUnitsPerPoint);
        m_renderer->paintPage(painter, m_page, index, totalPages);
    } catch (const ReportError &e) {
        if (e.number() != ReportError::Cancelled)
            emit failed(e.text());
        return;
    }
    emit pageReady(index, image);
}

void ReportPreviewWorker::countPages()
{
    try {
        emit pagesCounted(m_renderer->countPages(m_page));
    } catch (const ReportError &e) {
        if (e.number() != ReportError::Cancelled)
            emit failed(e.text());
    }
}

void ReportPreviewWorker::savePdf(const QString &path)
{
    try {
        emit saved(path, ReportPdf::write(*m_renderer, path));
    } catch (const ReportError &e) {
        if (e.number() != ReportError::Cancelled)
            emit failed(e.text());
    }
}

void ReportPreviewWorker::print(QPrinter *printer)
{
    try {
        emit printed(m_renderer->print(*printer));
    } catch (const ReportError &e) {
        if (e.number() != ReportError::Cancelled)
            emit failed(e.text());
    }
}

} // namespace corvane
