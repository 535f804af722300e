#include "WindowObserver.h"

#include "Dialogs.h"
#include "MainWindow.h"

#include <QPushButton>

namespace corvane
{

void WindowObserver::status(const QString &text)
{
    m_window.setPanelText(1, text);
}

void WindowObserver::message(const QString &text)
{
    Dialogs::information(&m_window, text);
}

void WindowObserver::showNewPairs(const QString &path)
{
    Dialogs::openDocument(path);
}

void WindowObserver::finishLog()
{
    m_window.setPanelText(1, QStringLiteral("Log processed."));
    m_window.importButton()->setEnabled(true);
    m_window.exitButton()->setEnabled(true);
    if (m_window.refreshViews)
        m_window.refreshViews();
}

} // namespace corvane
