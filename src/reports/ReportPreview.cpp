#include "ReportPreview.h"

#include "ReportPreviewWorker.h"
#include "app/Dialogs.h"
#include "reports/render/ReportRenderer.h"
#include "store/OutputPathGuard.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace corvane
{

ReportPreview::ReportPreview(std::unique_ptr<ReportRenderer> renderer, const QString &storeFolder,
                             QWidget *parent)
    : QDialog(parent), m_folder(storeFolder)
{
    setObjectName(QStringLiteral("frmReportPreview"));
    setWindowTitle(renderer->definition().title + QStringLiteral(" - Print Preview"));
    m_worker = new ReportPreviewWorker(std::move(renderer), 1.25);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &ReportPreviewWorker::pageReady, this, &ReportPreview::onPageReady);
    connect(m_worker, &ReportPreviewWorker::pagesCounted, this, &ReportPreview::onPagesCounted);
    connect(m_worker, &ReportPreviewWorker::failed, this, &ReportPreview::onFailed);
    connect(m_worker, &ReportPreviewWorker::saved, this, [this](const QString &path, int pages) {
        m_busy = false;
        m_status->setText(QStringLiteral("%1 pages saved to %2").arg(pages).arg(path));
        updateButtons();
        emit saved(path, pages);
    });
    connect(m_worker, &ReportPreviewWorker::printed, this, [this](int pages) {
        m_busy = false;
        m_status->setText(QStringLiteral("%1 pages sent to the printer").arg(pages));
        updateButtons();
    });

    m_page = new QLabel(this);
    m_page->setObjectName(QStringLiteral("lblPage"));
    m_page->setAlignment(Qt::AlignCenter);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(m_page);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Dark);

    const auto button = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    // Alt+P is Print's.
    m_previous = button("cmdPrevious", "< Pre&vious");
    m_next = button("cmdNext", "&Next >");
    m_print = button("cmdPrint", "&Print...");
    m_pdf = button("cmdPdf", "Save as P&DF...");
    QPushButton *close = button("cmdClose", "&Close");
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_current - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_current + 1); });
    connect(m_print, &QPushButton::clicked, this, &ReportPreview::askPrint);
    connect(m_pdf, &QPushButton::clicked, this, &ReportPreview::askPdf);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_previous);
    bar->addWidget(m_next);
    bar->addWidget(m_status, 1);
    bar->addWidget(m_print);
    bar->addWidget(m_pdf);
    bar->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll, 1);
    // Room for a page, within a small screen.
    QSize size(1000, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);

    m_thread.setObjectName(QStringLiteral("ReportPreview"));
    m_thread.start();
    // The first page first: it needs only the report's first rows.
    setBusy(QStringLiteral("Preparing the first page..."));
    ReportPreviewWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->renderPage(0, 0); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        worker, [worker] { worker->countPages(); }, Qt::QueuedConnection);
}

ReportPreview::~ReportPreview()
{
    m_worker->cancel();
    m_thread.quit();
    m_thread.wait();
}

void ReportPreview::setBusy(const QString &text)
{
    m_busy = true;
    m_status->setText(text);
    updateButtons();
}

void ReportPreview::updateButtons()
{
    const bool counted = m_total > 0;
    m_previous->setEnabled(!m_busy && m_current > 0);
    m_next->setEnabled(!m_busy && counted && m_current + 1 < m_total);
    m_print->setEnabled(!m_busy && counted);
    m_pdf->setEnabled(!m_busy && counted);
}

void ReportPreview::showPage(int index)
{
    if (index < 0 || (m_total > 0 && index >= m_total))
        return;
    setBusy(QStringLiteral("Preparing page %1...").arg(index + 1));
    ReportPreviewWorker *worker = m_worker;
    const int total = m_total;
    QMetaObject::invokeMethod(
        worker, [worker, index, total] { worker->renderPage(index, total); }, Qt::QueuedConnection);
}

void ReportPreview::onPageReady(int index, const QImage &image)
{
    m_current = index;
    m_image = image;
    m_page->setPixmap(QPixmap::fromImage(image));
    m_busy = false;
    m_status->setText(m_total > 0 ? QStringLiteral("Page %1 of %2").arg(index + 1).arg(m_total)
                                  : QStringLiteral("Page %1 (counting pages...)").arg(index + 1));
    if (m_total == 0)
        m_busy = true; // the count runs next on the same thread
    updateButtons();
    emit pageShown(index);
}

void ReportPreview::onPagesCounted(int total)
{
    m_total = total;
    // Draw the page again, now with its total in the header or footer.
    showPage(m_current);
}

void ReportPreview::onFailed(const QString &text)
{
    m_busy = false;
    m_status->setText(QStringLiteral("Failed"));
    updateButtons();
    emit failed(text);
    Dialogs::critical(this, text);
}

void ReportPreview::saveAs(const QString &path)
{
    const QString refusal = OutputPathGuard(m_folder).refusal(path);
    if (!refusal.isEmpty()) {
        onFailed(refusal);
        return;
    }
    setBusy(QStringLiteral("Saving %1...").arg(path));
    ReportPreviewWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, path] { worker->savePdf(path); }, Qt::QueuedConnection);
}

void ReportPreview::askPdf()
{
    QString path = Dialogs::saveFile(this, QStringLiteral("Save the report as PDF"), QString(),
                                     QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    saveAs(path);
}

void ReportPreview::askPrint()
{
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(m_printer.get(), this);
    if (Dialogs::exec(dialog) != QDialog::Accepted)
        return;
    setBusy(QStringLiteral("Printing..."));
    ReportPreviewWorker *worker = m_worker;
    QPrinter *printer = m_printer.get();
    QMetaObject::invokeMethod(
        worker, [worker, printer] { worker->print(printer); }, Qt::QueuedConnection);
}

} // namespace corvane
