#include "ImportController.h"

#include "AppState.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "formats/FormatRegistry.h"
#include "formats/ImportObserver.h"
#include "formats/LogImporter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

namespace corvane
{

namespace
{

// Follows the import in the window: progress in panel 1, the buttons, the
// pointer, and events let through as the setting "DoEvents" says. With it
// off the window still repaints a few times a second, taking no input.
class WindowObserver : public ImportObserver
{
public:
    explicit WindowObserver(MainWindow &window) : m_window(window) { m_clock.start(); }

    void record(const QString &name, qint64 stored, qint64, qint64) override
    {
        if (!m_fileStarted) {
            m_fileStarted = true;
            m_window.importButton()->setEnabled(false);
            m_window.exitButton()->setEnabled(false);
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (AppState::instance().doEvents) {
            m_window.setPanelText(1, LogImporter::progressText(name, stored));
            QApplication::processEvents();
        } else if (m_clock.elapsed() >= 200) {
            m_clock.restart();
            m_window.setPanelText(1, LogImporter::progressText(name, stored));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    void status(const QString &text) override { m_window.setPanelText(1, text); }
    void message(const QString &text) override
    {
        restoreCursor();
        Dialogs::information(&m_window, text);
    }
    void showNewPairs(const QString &path) override { Dialogs::openDocument(path); }
    void finishLog() override
    {
        restoreCursor();
        m_window.setPanelText(1, QStringLiteral("Log processed."));
        m_window.importButton()->setEnabled(true);
        m_window.exitButton()->setEnabled(true);
        if (m_window.refreshViews)
            m_window.refreshViews();
    }
    void restoreCursor()
    {
        if (m_fileStarted)
            QApplication::restoreOverrideCursor();
        m_fileStarted = false;
    }

private:
    MainWindow &m_window;
    QElapsedTimer m_clock;
    bool m_fileStarted = false;
};

} // namespace

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
    const LogFormat *format = FormatRegistry::logFormat(AppState::instance().decoder);
    LogImporter importer(m_store, m_recorder);
    WindowObserver observer(m_window);
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
