#pragma once

#include "store/ProcessedLogs.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

class QPushButton;
class QShortcut;
class QTimer;

namespace corvane
{

class ImportWindowObserver;
class MainWindow;
class RecorderThread;
struct ImportResult;

// The window's import run: the Import button and menu item ask for log files
// and queue their import as one job on the recorder thread, with the reader
// of the setting "Decoder". The window stays usable while it runs: progress
// and the end of each file come back through its event loop, the Cancel
// button beside the progress (and Esc) stops the run, and closing the window
// asks whether to stop it.
//
// The setting "DoEvents" no longer decides whether the window answers (it
// always does). With it on, the grids and counts are also refreshed every
// few seconds while a file is read, so the user watches messages arrive;
// with it off they are refreshed when each file ends, which spares the
// window's reads during long imports.
class ImportController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLiveRefreshMillis = 3000;

    ImportController(MainWindow &window, RecorderThread &recorder);
    // A run still going is cancelled and waited for.
    ~ImportController() override;

    // The whole run, from the file dialog to "Log Import complete.".
    void importLogs();
    // The run for files already chosen (no dialog); returns at once, the
    // run ends with runFinished().
    void importFiles(const QStringList &paths);
    // Stops the running import after the record in hand.
    void cancel();
    bool isRunning() const { return m_running; }

    QPushButton *cancelButton() const { return m_cancelButton; }
    // How often the grids are refreshed during a run with "DoEvents" on.
    void setLiveRefreshInterval(int millis);

    // The file dialog's filter for the decoder's logs, with all files.
    static QString fileFilter(const QString &decoder);
    static QString cancelledText(qint64 stored);
    // "Log Import complete." and what the run did: messages stored, files
    // read, and each file refused.
    static QString completeText(qint64 stored, int files, const QStringList &refused);
    // The file dialog's title names the decoder format the files are read as.
    static QString dialogTitle(const QString &decoder);
    static QString repeatQuestion(const QString &path, const ProcessedLogs::Entry &entry);

signals:
    // The run has ended and the window is idle again; stored counts the
    // messages of the whole run.
    void runFinished(qint64 stored, bool cancelled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Outcome {
        qint64 stored = 0;
        bool cancelled = false;
        int files = 0;       // read to the end or to a cancel
        QStringList refused; // file names the reader would not take
        QStringList refusedPaths, readPaths;
    };

    void buildCancelControls();
    void setBusy(bool busy);
    void submitRun(const QStringList &paths);
    static Outcome outcome(const std::vector<ImportResult> &results, const QStringList &paths,
                           bool cancelAsked);
    void jobEnded();
    // The chosen files less those already imported that the user leaves out.
    QStringList confirmRepeats(const QStringList &paths);
    bool askToClose();

    MainWindow &m_window;
    RecorderThread &m_recorder;
    ImportWindowObserver *m_observer = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QShortcut *m_escape = nullptr;
    QTimer *m_liveRefresh = nullptr;
    quint64 m_job = 0;
    bool m_running = false;
    bool m_closeWhenDone = false;
    bool m_importWasEnabled = true;
    Outcome m_outcome;
    QString m_failure;
    // Files refused since the program started: registered as processed, yet
    // nothing of them was imported, so choosing them again asks nothing.
    QSet<QString> m_refusedPaths;
};

} // namespace corvane
