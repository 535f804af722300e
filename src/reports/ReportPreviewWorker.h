#pragma once

#include <QImage>
#include <QObject>
#include <QSizeF>
#include <memory>

class QPrinter;

namespace corvane
{

class ReportRenderer;

// Runs a report's renderer on the preview's own thread, one request at a
// time: pages as images, the page count, a PDF file, a printing.
class ReportPreviewWorker : public QObject
{
    Q_OBJECT
public:
    ReportPreviewWorker(std::unique_ptr<ReportRenderer> renderer, double pixelsPerPoint);
    ~ReportPreviewWorker() override;

    // From any thread: stops the request running now and every later one.
    void cancel();
    QSizeF pagePoints() const { return m_page; }

public slots:
    void renderPage(int index, int totalPages);
    void countPages();
    void savePdf(const QString &path);
    void print(QPrinter *printer);

signals:
    void pageReady(int index, const QImage &image);
    void pagesCounted(int total);
    void saved(const QString &path, int pages);
    void printed(int pages);
    void failed(const QString &text);

private:
    std::unique_ptr<ReportRenderer> m_renderer;
    QSizeF m_page;
    QMarginsF m_margins;
    double m_zoom;
};

} // namespace corvane
