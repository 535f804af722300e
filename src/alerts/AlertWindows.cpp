#include "AlertWindows.h"

#include "AlertLogWindow.h"
#include "AlertWordsWindow.h"
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
    // The log lists what was raised, link or not.
    QAction *show = window.menuItem(QStringLiteral("mnuLogShowAlerts"));
    show->setEnabled(true);
    connect(show, &QAction::triggered, this, &AlertWindows::showLog);
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
    m_live.setAlertsOpen(true);
    m_log->show();
    m_log->raise();
    return m_log;
}

void AlertWindows::updateWords()
{
    // The set-up window's unsaved lists while it shows them, else the files.
    m_live.setAlertWords(
        m_setup->hasUnsavedChanges()
            ? std::make_shared<const AlertMatcher>(m_setup->words(), m_setup->ignoreWords())
            : nullptr);
}

void AlertWindows::closeLog()
{
    m_live.setAlertsOpen(false);
    m_log->close();
}

void AlertWindows::alertsAdded(const QList<AlertRow> &rows)
{
    // A closed log reads them all when it opens.
    if (m_log->isVisible()) {
        m_log->append(rows);
        QApplication::alert(m_log, kFlashMs);
    } else {
        QApplication::alert(&m_window, kFlashMs);
    }
}

} // namespace corvane
