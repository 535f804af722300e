#include "MainWindowLauncher.h"

#include "BackupController.h"
#include "Dialogs.h"
#include "ImportController.h"
#include "LiveController.h"
#include "MainWindow.h"
#include "OptionsDialog.h"
#include "alerts/AlertWindows.h"
#include "browse/AircraftExplorer.h"
#include "browse/CsvExportController.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageDetailPanel.h"
#include "browse/MessageGridModel.h"
#include "browse/OperatorAircraftList.h"
#include "browse/RegisterBrowser.h"
#include "browse/StatisticsTab.h"
#include "recording/RecorderThread.h"
#include "refdata/BulkUpdateController.h"
#include "refdata/ReferenceEditors.h"
#include "reports/ReportsController.h"
#include "reports/TextReportsController.h"
#include "settings/Settings.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreChangeWatcher.h"
#include "store/StoreError.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <memory>

namespace corvane
{

// A store that cannot be written (read-only media, another user's folder) is
// still shown, read-only.
bool MainWindowLauncher::openStore(Store &store, const QString &appFolder, const QString &serverUrl)
{
    if (!serverUrl.isEmpty()) {
        try {
            store.openServer(appFolder, ServerUrl::parse(serverUrl));
        } catch (const StoreError &e) {
            Dialogs::critical(nullptr, e.message());
            return false;
        }
        return true;
    }
    // The upgrade of an older store may take minutes on a large one: its
    // steps are shown as they go, before the main window exists.
    std::unique_ptr<QProgressDialog> upgrade;
    const auto progress = [&upgrade](const QString &text) {
        if (!upgrade) {
            upgrade = std::make_unique<QProgressDialog>();
            upgrade->setWindowTitle(QStringLiteral("ACARS Corvane"));
            upgrade->setCancelButton(nullptr);
            upgrade->setRange(0, 0);
            upgrade->setMinimumDuration(0);
            upgrade->show();
        }
        upgrade->setLabelText(text);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    try {
        store.open(appFolder, progress);
        return true;
    } catch (const StoreError &e) {
        try {
            store.openForReading(appFolder, progress);
        } catch (const StoreError &) {
            Dialogs::critical(nullptr, e.message());
            return false;
        }
    }
    return store.isOpen();
}

void MainWindowLauncher::showReadOnly(MainWindow &window)
{
    window.importButton()->setEnabled(false);
    window.liveButton()->setEnabled(false);
    for (const char *name : {"mnuLogImport", "mnuLogAlerts"})
        if (QAction *item = window.menuItem(QLatin1String(name)))
            item->setEnabled(false);
    if (QMenu *database = window.menu(QStringLiteral("mnuDatabase")))
        database->setEnabled(false);
    const QString &why = window.store().warning();
    window.setPanelText(
        1, why.isEmpty() ? QStringLiteral("Read-only store: recording and editing are off") : why);
}

// Messages another program records into the same store (a headless recorder
// beside the window) show as our own do; while our own recording runs, it
// refreshes the views itself.
void MainWindowLauncher::followOtherWriters(MainWindow &window, RecorderThread &recorder,
                                            StoreChangeWatcher &watcher)
{
    watcher.paused = [&recorder] {
        return recorder.runningJob() != 0 || recorder.pendingJobs() > 0;
    };
    window.refreshViews = [&watcher, previous = window.refreshViews] {
        previous();
        watcher.markSeen();
    };
    QObject::connect(&watcher, &StoreChangeWatcher::changed, &window,
                     [&window] { window.refreshViews(); });
    watcher.start();
}

int MainWindowLauncher::run(const QString &appFolder)
{
    // The settings name the store: the folder's files, or a server.
    const Settings settings;
    const QString serverUrl = settings.storeUrl();
    Store store;
    if (!openStore(store, appFolder, serverUrl))
        return 1;
    // Imports and live passes write through the recorder thread's own
    // connections; the window's store is for reading.
    RecorderThread recorderThread;
    recorderThread.setAnswerTimeout(settings.storeAnswerTimeout() * 1000);
    QString why;
    if (!store.isReadOnly() && !recorderThread.start(appFolder, serverUrl, &why)) {
        Dialogs::critical(nullptr, why);
        return 1;
    }
    MainWindow window(store);
    ImportController importer(window, recorderThread);
    LiveController live(window, recorderThread);
    MessageBrowser browser(window, store);
    BulkUpdateController bulkUpdates(window, recorderThread);
    bulkUpdates.currentView = [&browser] { return browser.view(); };
    ReferenceEditors editors(window);
    MessageDetailPanel detail(window, store, browser);
    RegisterBrowser registers(window, store, recorderThread);
    AircraftExplorer explorer(window, store);
    OperatorAircraftList operators(window, store);
    StatisticsTab statistics(window, store);
    statistics.viewRecordCount = [&browser] { return browser.model()->recordCount(); };
    browser.refreshStatistics = [&statistics] { statistics.refreshStatistics(); };
    // After each log, live pass and deletion, as after the grids.
    window.refreshViews = [&statistics, previous = window.refreshViews] {
        previous();
        statistics.refreshStatistics();
    };
    StoreChangeWatcher outsideChanges(store);
    followOtherWriters(window, recorderThread, outsideChanges);
    // An edited or loaded reference table shows at once where it is looked up.
    QObject::connect(&window, &MainWindow::referenceDataChanged, &window, [&] {
        detail.showMessageDetail(browser.currentMessage());
        explorer.reload();
    });
    AlertWindows alerts(window, live);
    BackupController backup(window);
    CsvExportController csvExport(window);
    csvExport.currentView = [&browser] { return browser.view(); };
    TextReportsController textReports(window);
    textReports.currentView = [&browser] { return browser.view(); };
    textReports.viewRecordCount = [&browser] { return browser.model()->recordCount(); };
    ReportsController reports(window, store);
    OptionsDialog::attach(window);
    window.startUp();
    if (store.isReadOnly())
        showReadOnly(window);
    if (store.onServer())
        window.setPanelText(1, QStringLiteral("Store on the server %1").arg(store.serverDisplay()));
    window.show();
    // Messages the last run kept for a server: what became of them.
    const QStringList kept = recorderThread.keptFromLastRun().report();
    if (!kept.isEmpty())
        Dialogs::information(&window, kept.join(u'\n'));
    return QApplication::exec();
}

} // namespace corvane
