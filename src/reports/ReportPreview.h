#pragma once

#include <QDialog>
#include <QImage>
#include <QThread>
#include <memory>

class QLabel;
class QPrinter;
class QPushButton;

namespace corvane
{

class ReportRenderer;
class ReportPreviewWorker;

// The print preview of one report: its pages one at a time, drawn on a
// thread of their own so the window never waits for the store. The first
// page shows before the pages are counted; Print and Save as PDF lay the
// whole report out again onto the printer or the file.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<ReportRenderer> renderer, const QString &storeFolder,
                  QWidget *parent = nullptr);
    ~ReportPreview() override;

    int currentPage() const { return m_current; }
    int pageCount() const { return m_total; } // 0 while counting
    const QImage &pageImage() const { return m_image; }
    bool isBusy() const { return m_busy; }
    void showPage(int index);
    // Writes the report to a PDF file; the result arrives as saved/failed.
    void saveAs(const QString &path);

signals:
    void pageShown(int index);
    void saved(const QString &path, int pages);
    void failed(const QString &text);

private:
    void onPageReady(int index, const QImage &image);
    void onPagesCounted(int total);
    void onFailed(const QString &text);
    void askPdf();
    void askPrint();
    void setBusy(const QString &text);
    void updateButtons();

    QThread m_thread;
    ReportPreviewWorker *m_worker = nullptr;
    QString m_folder;
    std::unique_ptr<QPrinter> m_printer;
    QLabel *m_page = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_pdf = nullptr;
    QImage m_image;
    int m_current = 0;
    int m_total = 0;
    bool m_busy = false;
};

} // namespace corvane
