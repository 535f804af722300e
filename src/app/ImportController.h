#pragma once

#include <QObject>
#include <QStringList>

namespace corvane
{

class MainWindow;
class MessageRecorder;
class Store;

// The window's import run: the Import button and menu item ask for log files,
// hand them to the reader of the setting "Decoder", and bring the window up
// to date after each file and at the end.
class ImportController : public QObject
{
    Q_OBJECT
public:
    ImportController(MainWindow &window, Store &store, MessageRecorder &recorder);

    // The whole run, from the file dialog to "Log Import complete.".
    void importLogs();
    // The run for files already chosen (no dialog).
    void importFiles(const QStringList &paths);

    static QString fileFilter() { return QStringLiteral("Log Files (*.log)"); }

private:
    void finishRun();

    MainWindow &m_window;
    Store &m_store;
    MessageRecorder &m_recorder;
    bool m_running = false;
};

} // namespace corvane
