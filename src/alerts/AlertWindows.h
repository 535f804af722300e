#pragma once

#include "store/AlertLog.h"

#include <QObject>

namespace corvane
{

class AlertLogWindow;
class AlertWordsWindow;
class LiveController;
class MainWindow;

// The two alert windows of the Log menu and what ties them to the live
// link: "Setup Alerts..." opens the set-up window, "Show Alerts..." the
// alert log. The link matches whether the log is open or not; the words it
// uses follow the files, or the set-up window's lists while it holds
// unsaved changes.
class AlertWindows : public QObject
{
    Q_OBJECT
public:
    AlertWindows(MainWindow &window, LiveController &live);
    ~AlertWindows() override;

    // mnuLogAlerts_Click.
    AlertWordsWindow *showSetup();
    // mnuLogShowAlerts_Click.
    AlertLogWindow *showLog();

    AlertWordsWindow *setupWindow() const { return m_setup; }
    AlertLogWindow *logWindow() const { return m_log; }

private:
    void updateWords();
    void closeLog();
    void alertsAdded(const QList<AlertRow> &rows);

    MainWindow &m_window;
    LiveController &m_live;
    AlertWordsWindow *m_setup = nullptr;
    AlertLogWindow *m_log = nullptr;
};

} // namespace corvane
