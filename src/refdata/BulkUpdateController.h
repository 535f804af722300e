#pragma once

#include "recording/RecorderThread.h"
#include "store/AircraftListLoad.h"
#include "store/MessageView.h"
#include "store/StoreCleanup.h"

#include <QDialog>
#include <QObject>
#include <functional>

namespace corvane
{

class MainWindow;
class RemoveDuplicatesDialog;

// The Database menu's whole-table commands: aircraft from a CSV file, routes
// from a Brellwick route file, delete all records and remove duplicates.
// Each runs as a job on the recorder thread; progress comes back to status
// bar panel 1 and the window stays usable. One runs at a time. After a
// deletion the window offers to compact the message store.
class BulkUpdateController : public QObject
{
    Q_OBJECT
public:
    BulkUpdateController(MainWindow &window, RecorderThread &recorder);
    ~BulkUpdateController() override;

    // The message grid's current view, whose pairs remove-duplicates treats;
    // every pair when unset.
    std::function<MessageView()> currentView;
    // Runs on every modal window just before it is shown (tests drive the
    // window's controls from here).
    std::function<void(QDialog &)> beforeDialog;

    void importAircraft();
    void importRoutes();
    void deleteAllRecords();
    void removeDuplicates();
    void offerCompact();
    // The count of what the removal would delete, then the removal itself,
    // from the remove-duplicates window's button; each hands its figures to
    // the window before finished().
    void countDuplicates(RemoveDuplicatesDialog &dialog);
    void runRemoval(RemoveDuplicatesDialog &dialog);
    bool isRunning() const { return m_job != 0; }

    static QString aircraftQuestion();
    static QString routesQuestion();
    static QString deleteAllQuestion();
    static QString compactQuestion();
    // The lines an aircraft list load refused, as the user is told.
    static QString aircraftRefusalsText(const QString &path,
                                        const AircraftListLoad::Result &result);

signals:
    // A job ended (failed ones too), after its own end steps.
    void finished();

private:
    // Queues the job; done runs on this thread once it ended without failure.
    void submit(RecorderThread::Job job, std::function<void()> done);
    void jobEnded(quint64 job);
    void setBusy(bool busy);
    void status(const QString &text);
    // Posts a status text from the recorder thread.
    void postStatus(const QString &text);
    void messagesChanged();
    void chooseAircraftFile();
    void loadAircraft(const QString &path);
    void loadRoutes(const QString &path, bool replace);
    // A job on the duplicates of the grid's view; its status texts and
    // figures go to the window.
    using DuplicatesStep =
        std::function<StoreCleanup::Duplicates(StoreCleanup &, const MessageView &)>;
    using DuplicatesHandler = void (RemoveDuplicatesDialog::*)(const StoreCleanup::Duplicates &);
    void submitDuplicatesJob(RemoveDuplicatesDialog &dialog, DuplicatesStep step,
                             DuplicatesHandler handler, std::function<void()> done);

    MainWindow &m_window;
    RecorderThread &m_recorder;
    quint64 m_job = 0;
    std::function<void()> m_done;
    QString m_failure;
};

} // namespace corvane
