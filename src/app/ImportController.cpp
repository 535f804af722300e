#include "ImportController.h"

#include "Dialogs.h"
#include "MainWindow.h"
#include "WindowObserver.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "store/MessageRecorder.h"

#include <QApplication>
#include <QPushButton>

namespace corvane
{

ImportController::ImportController(MainWindow &window, Store &store, MessageRecorder &recorder)
    : m_window(window), m_store(store), m_recorder(recorder)
{
    window.onImportRequested = [this] { importLogs(); };
}

void ImportController::importLogs()
{
    if (m_running)
        return;
    const QStringList paths =
        Dialogs::openFiles(&m_window, QStringLiteral("Import Log"), QString(), fileFilter());
    QApplication::processEvents();
    importFiles(paths);
}

void ImportController::importFiles(const QStringList &paths)
{
    if (m_running)
        return;
    m_running = true;
    // The settings as they stand now: the Options dialog applies at once.
    const Settings &settings = m_window.settings();
    const LogFormat *format = LogFormats::find(settings.decoder());
    m_recorder.setRecordUplinks(settings.uplinkMessages() == 1);
    LogImporter importer(m_store, m_recorder);
    importer.setShowNewPairs(settings.showNew());
    WindowObserver observer(m_window, WindowObserver::Kind::LogImport);
    if (format && !paths.isEmpty())
        importer.importFiles(*format, paths, &observer);
    else
        importer.finishRun(&observer);
    observer.restoreCursor();
    finishRun();
    m_running = false;
}

void ImportController::finishRun()
{
    if (m_window.refreshViews)
        m_window.refreshViews();
    m_window.setPanelText(1, QStringLiteral("Log Import complete."));
    m_window.importButton()->setEnabled(true);
    m_window.exitButton()->setEnabled(true);
    Dialogs::information(&m_window, QStringLiteral("Log Import complete."));
}

} // namespace corvane
