#include "BulkUpdateController.h"

#include "RemoveDuplicatesDialog.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "store/AircraftListLoad.h"
#include "store/AircraftTable.h"
#include "store/MessageRecorder.h"
#include "store/RouteFileLoad.h"
#include "store/StoreCleanup.h"

#include <QAction>
#include <QApplication>
#include <QPointer>

namespace corvane
{

namespace
{
const char *const kMenuItems[] = {"mnuDatabaseImportAircraft", "mnuDatabaseBrellwickRoutes",
                                  "mnuDatabaseDeleteAllRecords", "mnuDatabaseRemoveDuplicates"};
} // namespace

BulkUpdateController::BulkUpdateController(MainWindow &window, RecorderThread &recorder)
    : m_window(window), m_recorder(recorder)
{
    const std::function<void()> handlers[] = {
        [this] { importAircraft(); }, [this] { importRoutes(); }, [this] { deleteAllRecords(); },
        [this] { removeDuplicates(); }};
    for (int i = 0; i < 4; ++i) {
        QAction *item = window.menuItem(QString::fromLatin1(kMenuItems[i]));
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, handlers[i]);
    }
    connect(&recorder, &RecorderThread::jobFailed, this, [this](quint64 job, const QString &why) {
        if (job == m_job)
            m_failure = why;
    });
    connect(&recorder, &RecorderThread::jobFinished, this, &BulkUpdateController::jobEnded);
}

BulkUpdateController::~BulkUpdateController()
{
    if (m_job == 0)
        return;
    // The job posts to this object; it must end first.
    m_recorder.drain();
    QApplication::restoreOverrideCursor();
}

QString BulkUpdateController::aircraftQuestion()
{
    return QStringLiteral("Do you wish to delete all existing Aircraft data first? (Will result "
                          "in a quicker Import, but you will lose any manually added data)");
}

QString BulkUpdateController::routesQuestion()
{
    return QStringLiteral("Do you wish to delete the existing Route information first?");
}

QString BulkUpdateController::deleteAllQuestion()
{
    return QStringLiteral("Are you sure you want to delete all of the records from the database?");
}

QString BulkUpdateController::compactQuestion()
{
    return QStringLiteral("Compact the message store now? This gives the space of the deleted "
                          "messages back to the disk and may take a while on a large store.");
}

void BulkUpdateController::submit(RecorderThread::Job job, std::function<void()> done)
{
    m_failure.clear();
    m_done = std::move(done);
    if (!m_recorder.isRunning()) {
        Dialogs::critical(&m_window, QStringLiteral("The store is not open for writing."));
        return;
    }
    setBusy(true);
    m_job = m_recorder.submit([job = std::move(job)](RecorderJobContext &c) {
        // Whatever an earlier job left in the recorder's batch goes first.
        c.recorder.commitBatch();
        job(c);
    });
}

void BulkUpdateController::jobEnded(quint64 job)
{
    if (job == 0 || job != m_job)
        return;
    m_job = 0;
    setBusy(false);
    const auto done = std::move(m_done);
    m_done = nullptr;
    if (!m_failure.isEmpty()) {
        status(QString());
        // Reference data may have changed in the batches written before.
        emit m_window.referenceDataChanged();
        Dialogs::critical(&m_window, m_failure);
    } else if (done) {
        done();
    }
    emit finished();
}

void BulkUpdateController::setBusy(bool busy)
{
    for (const char *name : kMenuItems)
        m_window.menuItem(QString::fromLatin1(name))->setEnabled(!busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void BulkUpdateController::status(const QString &text)
{
    m_window.setPanelText(1, text);
}

void BulkUpdateController::postStatus(const QString &text)
{
    RecorderThread::post(this, [this, text] { status(text); });
}

void BulkUpdateController::messagesChanged()
{
    if (m_window.refreshViews)
        m_window.refreshViews();
    if (m_window.showRecordCount)
        m_window.showRecordCount();
}

void BulkUpdateController::importAircraft()
{
    if (isRunning())
        return;
    // The delete is asked, and done, before the file is chosen.
    if (!Dialogs::question(&m_window, aircraftQuestion())) {
        chooseAircraftFile();
        return;
    }
    submit([](RecorderJobContext &c) { AircraftTable(c.store()).removeAll(); },
           [this] {
               emit m_window.referenceDataChanged();
               chooseAircraftFile();
           });
}

void BulkUpdateController::chooseAircraftFile()
{
    const QString path =
        Dialogs::openFile(&m_window, QStringLiteral("Update Aircraft Data"), QString(),
                          QStringLiteral("Aircraft files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    QApplication::processEvents();
    loadAircraft(path);
}

void BulkUpdateController::loadAircraft(const QString &path)
{
    auto result = std::make_shared<AircraftListLoad::Result>();
    submit(
        [this, path, result](RecorderJobContext &c) {
            AircraftListLoad load(c.store());
            load.setCancelFlag(&c.cancelled);
            load.setProgress([this](qint64 line) {
                postStatus(QStringLiteral("Processing record %1").arg(line));
            });
            RecorderThread::post(this, [result, r = load.load(path)] { *result = r; });
        },
        [this, path, result] {
            status(QStringLiteral("Aircraft Import complete: %1.").arg(result->summary()));
            emit m_window.referenceDataChanged();
            if (result->refused > 0)
                Dialogs::information(&m_window, aircraftRefusalsText(path, *result));
        });
}

QString BulkUpdateController::aircraftRefusalsText(const QString &path,
                                                   const AircraftListLoad::Result &result)
{
    // A message box holds a screenful; the rest is counted.
    const int shown = 20;
    QStringList lines;
    for (size_t i = 0; i < result.refusals.size() && i < size_t(shown); ++i)
        lines << result.refusals[i].text();
    if (result.refused > qint64(lines.size()))
        lines << QStringLiteral("and %1 more").arg(result.refused - lines.size());
    return QStringLiteral("%1 lines of %2 were refused and not loaded:\n\n%3")
        .arg(result.refused)
        .arg(path, lines.join(u'\n'));
}

void BulkUpdateController::importRoutes()
{
    if (isRunning())
        return;
    const QString path =
        Dialogs::openFile(&m_window, QStringLiteral("Update Routes"), QString(),
                          QStringLiteral("Brellwick route files (*.bwd);;All files (*)"));
    if (path.isEmpty())
        return;
    loadRoutes(path, Dialogs::question(&m_window, routesQuestion()));
}

void BulkUpdateController::loadRoutes(const QString &path, bool replace)
{
    auto malformed = std::make_shared<qint64>(0);
    submit(
        [this, path, replace, malformed](RecorderJobContext &c) {
            RouteFileLoad load(c.store());
            load.setReplace(replace);
            load.setCancelFlag(&c.cancelled);
            load.setProgress(
                [this](qint64 n) { postStatus(QStringLiteral("Adding routes: %1").arg(n)); });
            const qint64 line = load.load(path).malformedLine;
            RecorderThread::post(this, [malformed, line] { *malformed = line; });
        },
        [this, malformed] {
            emit m_window.referenceDataChanged();
            if (*malformed > 0)
                Dialogs::information(&m_window, RouteFileLoad::malformedText(*malformed));
            else
                status(QStringLiteral("Route updating complete."));
        });
}

void BulkUpdateController::deleteAllRecords()
{
    if (isRunning() || !Dialogs::criticalQuestion(&m_window, deleteAllQuestion()))
        return;
    status(QStringLiteral("Deleting all records..."));
    submit([](RecorderJobContext &c) { StoreCleanup(c.store()).deleteAllMessages(); },
           [this] {
               status(QString());
               messagesChanged();
               Dialogs::information(&m_window,
                                    QStringLiteral("All database records have been deleted"));
               emit m_window.referenceDataChanged();
               offerCompact();
           });
}

void BulkUpdateController::removeDuplicates()
{
    if (isRunning())
        return;
    RemoveDuplicatesDialog dialog(*this, &m_window);
    if (beforeDialog)
        beforeDialog(dialog);
    Dialogs::exec(dialog);
    if (m_window.showRecordCount)
        m_window.showRecordCount();
    if (dialog.removedAny())
        offerCompact();
}

void BulkUpdateController::submitDuplicatesJob(RemoveDuplicatesDialog &dialog, DuplicatesStep step,
                                               DuplicatesHandler handler,
                                               std::function<void()> done)
{
    const MessageView view = currentView ? currentView() : MessageView::all();
    QPointer<RemoveDuplicatesDialog> target(&dialog);
    submit(
        [this, view, target, step = std::move(step), handler](RecorderJobContext &c) {
            StoreCleanup cleanup(c.store());
            cleanup.setStatus([this, target](const QString &text) {
                RecorderThread::post(this, [target, text] {
                    if (target)
                        target->setStatus(text);
                });
            });
            const StoreCleanup::Duplicates r = step(cleanup, view);
            RecorderThread::post(this, [target, r, handler] {
                if (target)
                    ((*target).*handler)(r);
            });
        },
        std::move(done));
}

void BulkUpdateController::countDuplicates(RemoveDuplicatesDialog &dialog)
{
    submitDuplicatesJob(
        dialog,
        [](StoreCleanup &cleanup, const MessageView &view) {
            return cleanup.countDuplicates(view);
        },
        &RemoveDuplicatesDialog::setCount, nullptr);
}

void BulkUpdateController::runRemoval(RemoveDuplicatesDialog &dialog)
{
    submitDuplicatesJob(
        dialog,
        [](StoreCleanup &cleanup, const MessageView &view) {
            return cleanup.removeDuplicates(view);
        },
        &RemoveDuplicatesDialog::setResult, [this] { messagesChanged(); });
}

void BulkUpdateController::offerCompact()
{
    if (!StoreCleanup(m_window.store()).needsCompacting())
        return;
    if (isRunning() || !Dialogs::question(&m_window, compactQuestion()))
        return;
    submit(
        [this](RecorderJobContext &c) {
            StoreCleanup cleanup(c.store());
            cleanup.setStatus([this](const QString &text) { postStatus(text); });
            cleanup.compact();
        },
        [this] { status(QStringLiteral("The message store is compacted.")); });
}

} // namespace corvane
