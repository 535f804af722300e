#include "BackupController.h"

#include "Dialogs.h"
#include "MainWindow.h"
#include "store/StoreBackup.h"

#include <QAction>
#include <QApplication>
#include <QProgressDialog>

namespace corvane
{

BackupController::BackupController(MainWindow &window) : m_window(window)
{
    if (QAction *item = window.menuItem(QStringLiteral("mnuFileBackup"))) {
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, &BackupController::backUp);
    }
}

void BackupController::backUp()
{
    const QString folder =
        Dialogs::openFolder(&m_window, QStringLiteral("Back up the databases into"));
    if (folder.isEmpty())
        return;
    StoreBackup backup(m_window.store());
    const QString refusal = backup.refusal(folder);
    if (!refusal.isEmpty()) {
        Dialogs::critical(&m_window, refusal);
        return;
    }
    QProgressDialog progress(QStringLiteral("Backing up..."), QStringLiteral("&Cancel"), 0, 100,
                             &m_window);
    progress.setObjectName(QStringLiteral("dlgBackupProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const bool ok = backup.copyTo(folder, [&](const QString &file, int done, int total) {
        m_window.setPanelText(1, QStringLiteral("Backing up %1...").arg(file));
        progress.setValue(total > 0 ? int(qint64(done) * 100 / total) : 100);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    });
    progress.close();
    m_window.setPanelText(1, QString());
    if (ok)
        Dialogs::information(&m_window, QStringLiteral("Backup complete: %1").arg(folder));
    else if (!backup.wasCancelled())
        Dialogs::critical(&m_window, QStringLiteral("The backup failed: ") + backup.errorText());
}

} // namespace corvane
