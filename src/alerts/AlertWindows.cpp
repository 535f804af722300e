#include "AlertWindows.h"

#include "AlertLogWindow.h"
#include "AlertWordsWindow.h"
#include "live/AlertWords.h"
#include "app/LiveController.h"
#include "app/MainWindow.h"
#include "live/LiveSession.h"
#include "store/Store.h"

#include <QAction>
#include <QApplication>

namespace corvane
{

namespace
{
constexpr int kFlashMs = 1000; // one flash of the title bar
} // namespace

AlertWindows::AlertWindows(MainWindow &window, LiveController &live)
    : m_window(window), m_live(live)
{
    m_setup = new AlertWordsWindow(window.store().folder(), &window);
    m_log = new AlertLogWindow(window.store(), &window);
    connect(m_setup, &AlertWordsWindow::wordsChanged, this, &AlertWindows::updateWords);
    connect(m_log, &AlertLogWindow::modifyRequested, this, &AlertWindows::showSetup);
    connect(m_log, &AlertLogWindow::closeRequested, this, &AlertWindows::closeLog);
    connect(&live.session(), &LiveSession::alertsAdded, this, &AlertWindows::alertsAdded);
    live.showAlerts = [this] { showLog(); };

    QAction *setup = window.menuItem(QStringLiteral("mnuLogAlerts"));
    setup->setEnabled(true);
    connect(setup, &QAction::triggered, this, &AlertWindows::showSetup);
    // Enabled by the live link while it runs.
    connect(window.menuItem(QStringLiteral("mnuLogShowAlerts")), &QAction::triggered, this,
            &AlertWindows::showLog);
}

AlertWindows::~AlertWindows()
{
    m_live.showAlerts = nullptr;
}

AlertWordsWindow *AlertWindows::showSetup()
{
    m_setup->open();
    return m_setup;
}

AlertLogWindow *AlertWindows::showLog()
{
    if (!m_log->isVisible())
        m_log->reload();
    // Matching starts from the files as they are now, or from the set-up
    // window's unsaved lists.
    updateWords();
    m_live.setAlertsOpen(true);
    m_log->show();
    m_log->raise();
    return m_log;
}

void AlertWindows::updateWords()
{
    const QString folder = m_window.store().folder();
    const bool onScreen = m_setup->hasUnsavedChanges();
    m_live.setAlertWords(std::make_shared<const AlertMatcher>(
        onScreen ? m_setup->words() : AlertWords::read(AlertWords::wordsPath(folder)),
        onScreen ? m_setup->ignoreWords() : AlertWords::read(AlertWords::ignorePath(folder))));
}

void AlertWindows::closeLog()
{
    m_live.setAlertsOpen(false);
    m_log->close();
}

void AlertWindows::alertsAdded(const QList<AlertRow> &rows)
{
    m_log->append(rows);
    QApplication::alert(m_log, kFlashMs);
}

} // namespace corvane
