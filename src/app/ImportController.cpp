#include "ImportController.h"

#include "Dialogs.h"
#include "ImportWindowObserver.h"
#include "MainWindow.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "recording/ImportObserverRelay.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/StoreError.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace corvane
{

ImportController::ImportController(MainWindow &window, RecorderThread &recorder)
    : m_window(window), m_recorder(recorder), m_observer(new ImportWindowObserver(window, this))
{
    window.onImportRequested = [this] { importLogs(); };
    buildCancelControls();
    m_liveRefresh = new QTimer(this);
    m_liveRefresh->setInterval(kLiveRefreshMillis);
    connect(m_liveRefresh, &QTimer::timeout, this, [this] {
        if (m_window.refreshViews)
            m_window.refreshViews();
    });
    connect(&recorder, &RecorderThread::jobFailed, this, [this](quint64 job, const QString &why) {
        if (m_running && job == m_job)
            m_failure = why;
    });
    connect(&recorder, &RecorderThread::jobFinished, this, [this](quint64 job) {
        if (m_running && job == m_job)
            jobEnded();
    });
    window.installEventFilter(this);
}

ImportController::~ImportController()
{
    if (!m_running)
        return;
    // The job reports to objects that are about to go.
    m_recorder.cancel(m_job);
    m_recorder.drain();
    QApplication::restoreOverrideCursor();
}

void ImportController::buildCancelControls()
{
    QStatusBar *bar = m_window.statusBar();
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), bar);
    m_cancelButton->setObjectName(QStringLiteral("cmdCancelImport"));
    m_cancelButton->setToolTip(QStringLiteral("Stop the import after the current record"));
    // Beside the progress text of panel 1.
    bar->insertWidget(1, m_cancelButton);
    m_cancelButton->hide();
    connect(m_cancelButton, &QPushButton::clicked, this, &ImportController::cancel);

    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), &m_window);
    m_escape->setObjectName(QStringLiteral("escCancelImport"));
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, this, &ImportController::cancel);
}

void ImportController::setLiveRefreshInterval(int millis)
{
    m_liveRefresh->setInterval(millis);
}

void ImportController::importLogs()
{
    if (m_running)
        return;
    const QStringList chosen =
        Dialogs::openFiles(&m_window, dialogTitle(m_window.settings().decoder()), QString(),
                           fileFilter(m_window.settings().decoder()));
    QApplication::processEvents();
    importFiles(confirmRepeats(chosen));
}

QString ImportController::fileFilter(const QString &decoder)
{
    const LogFormat *format = LogFormats::find(decoder);
    return format ? format->fileFilter() : QStringLiteral("Log files (*.log);;All files (*)");
}

QString ImportController::dialogTitle(const QString &decoder)
{
    return decoder.isEmpty() ? QStringLiteral("Import Log")
                             : QStringLiteral("Import Log - %1 format").arg(decoder);
}

QStringList ImportController::confirmRepeats(const QStringList &paths)
{
    std::vector<ProcessedLogs::Entry> before;
    try {
        before = LogImporter::entries(m_window.store(), paths);
    } catch (const StoreError &) {
        // Without the list nothing is known to be a repeat.
        return paths;
    }
    QStringList kept;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const ProcessedLogs::Entry &e = before[size_t(i)];
        // A file refused this session was never read: nothing to ask about.
        if (!e.listed || m_refusedPaths.contains(QFileInfo(paths[i]).absoluteFilePath()) ||
            Dialogs::questionDefaultYes(&m_window, repeatQuestion(paths[i], e)))
            kept << paths[i];
    }
    return kept;
}

QString ImportController::repeatQuestion(const QString &path, const ProcessedLogs::Entry &entry)
{
    if (!entry.whole)
        return QStringLiteral("An earlier import of %1 stopped after record %2. Import the rest "
                              "of it?")
            .arg(QFileInfo(path).fileName())
            .arg(entry.recordsRead);
    return QStringLiteral("%1 was imported before. Import it again?")
        .arg(QFileInfo(path).fileName());
}

void ImportController::importFiles(const QStringList &paths)
{
    if (m_running)
        return;
    m_running = true;
    m_outcome = Outcome();
    m_failure.clear();
    setBusy(true);
    if (!m_recorder.isRunning()) {
        m_failure = QStringLiteral("The store is not open for writing.");
        jobEnded();
        return;
    }
    submitRun(paths);
}

void ImportController::submitRun(const QStringList &paths)
{
    // The settings as they stand now: the Options dialog applies at once,
    // and the job must not read the window's objects.
    const Settings &settings = m_window.settings();
    const LogFormat *format = LogFormats::find(settings.decoder());
    const bool uplinks = settings.uplinkMessages() == 1;
    const bool showNew = settings.showNew();
    ImportWindowObserver *observer = m_observer;
    m_job =
        m_recorder.submit([this, format, paths, uplinks, showNew, observer](RecorderJobContext &c) {
            c.recorder.setRecordUplinks(uplinks);
            LogImporter importer(c.folder, c.recorder);
            importer.setShowNewPairs(showNew);
            ImportObserverRelay relay(*observer, *observer, c.cancelled);
            std::vector<ImportResult> results;
            if (format && !paths.isEmpty())
                results = importer.importFiles(*format, paths, &relay);
            else
                importer.finishRun(&relay);
            const Outcome done = outcome(results, paths, c.cancelled);
            RecorderThread::post(this, [this, done] { m_outcome = done; });
        });
}

ImportController::Outcome ImportController::outcome(const std::vector<ImportResult> &results,
                                                    const QStringList &paths, bool cancelAsked)
{
    Outcome o;
    const qsizetype files = paths.size();
    for (size_t i = 0; i < results.size(); ++i) {
        const ImportResult &r = results[i];
        const QString path = QFileInfo(paths.value(qsizetype(i))).absoluteFilePath();
        o.stored += r.stored;
        o.cancelled = o.cancelled || r.cancelled;
        if (r.read) {
            ++o.files;
            o.readPaths << path;
        } else if (!r.storeFailed && !r.cancelled) {
            o.refused << QFileInfo(r.name).fileName();
            o.refusedPaths << path;
        }
    }
    // A cancel between two files leaves the rest unread; one that came
    // after the last file changed nothing.
    const bool stoppedByFailure = !results.empty() && results.back().storeFailed;
    if (cancelAsked && qsizetype(results.size()) < files && !stoppedByFailure)
        o.cancelled = true;
    return o;
}

void ImportController::cancel()
{
    if (!m_running)
        return;
    m_recorder.cancel(m_job);
    // A job dropped before it started reports nothing of its own.
    m_outcome.cancelled = true;
    m_cancelButton->setEnabled(false);
    m_window.setPanelText(1, QStringLiteral("Stopping the import..."));
}

void ImportController::setBusy(bool busy)
{
    QPushButton *import = m_window.importButton();
    QAction *menuImport = m_window.menuItem(QStringLiteral("mnuLogImport"));
    if (busy) {
        // The live layout may have disabled the button already; the end of
        // the run gives back what it found.
        m_importWasEnabled = import->isEnabled();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    import->setEnabled(!busy && m_importWasEnabled);
    menuImport->setEnabled(!busy);
    m_window.exitButton()->setEnabled(!busy);
    m_cancelButton->setEnabled(busy);
    m_cancelButton->setVisible(busy);
    m_escape->setEnabled(busy);
    if (busy && m_window.settings().doEvents())
        m_liveRefresh->start();
    else
        m_liveRefresh->stop();
}

void ImportController::jobEnded()
{
    m_running = false;
    setBusy(false);
    const Outcome done = m_outcome;
    for (const QString &path : done.readPaths)
        m_refusedPaths.remove(path);
    for (const QString &path : done.refusedPaths)
        m_refusedPaths.insert(path);
    // The reasons the run gave, shown with its outcome.
    const QStringList reasons = m_observer->takeMessages();
    const QString text = done.cancelled ? cancelledText(done.stored)
                                        : completeText(done.stored, done.files, done.refused);
    m_window.setPanelText(1, text);
    if (m_closeWhenDone) {
        // The user asked to close once the recorder had stopped.
        m_closeWhenDone = false;
        emit runFinished(done.stored, done.cancelled);
        m_window.close();
        return;
    }
    if (m_window.refreshViews)
        m_window.refreshViews();
    if (!m_failure.isEmpty())
        Dialogs::critical(&m_window, m_failure);
    Dialogs::information(
        &m_window, reasons.isEmpty() ? text : text + QStringLiteral("\n\n") + reasons.join(u'\n'));
    emit runFinished(done.stored, done.cancelled);
}

QString ImportController::completeText(qint64 stored, int files, const QStringList &refused)
{
    const QLocale locale;
    QString text = QStringLiteral("Log Import complete. ");
    if (files == 0)
        text += QStringLiteral("No file imported.");
    else
        text += QStringLiteral("%1 %2 stored from %3 %4.")
                    .arg(locale.toString(stored),
                         stored == 1 ? QStringLiteral("message") : QStringLiteral("messages"),
                         locale.toString(files),
                         files == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    for (const QString &name : refused)
        text += QStringLiteral(" Refused: %1.").arg(name);
    return text;
}

QString ImportController::cancelledText(qint64 stored)
{
    return QStringLiteral("Log Import cancelled. %1 messages were stored.").arg(stored);
}

bool ImportController::askToClose()
{
    return Dialogs::question(&m_window,
                             QStringLiteral("A log import is running. Stop it and close?"));
}

bool ImportController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || event->type() != QEvent::Close || !m_running)
        return QObject::eventFilter(watched, event);
    if (!m_closeWhenDone) {
        const bool stop = askToClose();
        // The run may have ended while the question was shown.
        if (!m_running) {
            if (!stop)
                event->ignore();
            return !stop;
        }
        if (stop) {
            // The window closes once the recorder has stopped and committed.
            m_closeWhenDone = true;
            cancel();
        }
    }
    event->ignore();
    return true;
}

} // namespace corvane
