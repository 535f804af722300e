#include "CsvExportController.h"

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "core/MessageCsvExport.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>

namespace corvane
{

CsvExportController::CsvExportController(MainWindow &window) : m_window(window)
{
    if (QAction *item = window.menuItem(QStringLiteral("mnuFileExportCsv"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &CsvExportController::exportView);
    }
}

void CsvExportController::exportView()
{
    const QString path = Dialogs::saveFile(&m_window, QStringLiteral("Export CSV"), QString(),
                                           QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    // A name typed without an extension gets the one the filter shows.
    exportTo(QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path);
}

void CsvExportController::exportTo(const QString &path)
{
    const MessageView view = currentView ? currentView() : MessageView::all();
    QProgressDialog progress(QStringLiteral("Exporting messages..."), QStringLiteral("&Cancel"), 0,
                             100, &m_window);
    progress.setObjectName(QStringLiteral("dlgExportCsvProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    QElapsedTimer clock;
    clock.start();

    MessageCsvExport writer(m_window.store());
    const auto result = writer.write(view, path, [&](qint64 row, qint64 count) {
        if (row > 1 && row < count && clock.elapsed() < 100)
            return true;
        clock.restart();
        m_window.setPanelText(1,
                              QStringLiteral("Exporting record %1 of %2...").arg(row).arg(count));
        progress.setValue(count > 0 ? int(row * 100 / count) : 100);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    });
    progress.close();

    switch (result) {
    case MessageCsvExport::Result::Cancelled:
        m_window.setPanelText(1, QStringLiteral("Export cancelled."));
        return;
    case MessageCsvExport::Result::Failed:
        m_window.setPanelText(1, QString());
        Dialogs::critical(&m_window, QStringLiteral("The CSV file could not be written: ") +
                                         writer.errorText());
        return;
    case MessageCsvExport::Result::Written:
        break;
    }
    m_window.setPanelText(1, QStringLiteral("%1 messages exported.").arg(writer.rowsWritten()));
}

} // namespace corvane
