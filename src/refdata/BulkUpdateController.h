#pragma once

#include "recording/RecorderThread.h"
#include "store/MessageView.h"

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
    // The removal itself, from the remove-duplicates window's button.
    void runRemoval(RemoveDuplicatesDialog &dialog);
    bool isRunning() const { return m_job != 0; }

    static QString aircraftQuestion();
    static QString routesQuestion();
    static QString deleteAllQuestion();
    static QString compactQuestion();

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

    MainWindow &m_window;
    RecorderThread &m_recorder;
    quint64 m_job = 0;
    std::function<void()> m_done;
    QString m_failure;
};

} // namespace corvane
