#include "WindowObserver.h"

#include "Dialogs.h"
#include "MainWindow.h"
#include "formats/LogImporter.h"

#include <QApplication>
#include <QPushButton>

namespace corvane
{

WindowObserver::WindowObserver(MainWindow &window, Kind kind) : m_window(window), m_kind(kind)
{
    m_clock.start();
}

QString WindowObserver::progressText(const QString &name, qint64 stored) const
{
    return m_kind == Kind::LogImport ? LogImporter::progressText(name, stored)
                                     : QStringLiteral("Processing record %1").arg(stored);
}

void WindowObserver::record(const QString &name, qint64 stored, qint64, qint64)
{
    if (!m_busy) {
        m_busy = true;
        if (m_kind == Kind::LogImport) {
            m_window.importButton()->setEnabled(false);
            m_window.exitButton()->setEnabled(false);
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    if (m_window.settings().doEvents()) {
        m_window.setPanelText(1, progressText(name, stored));
        QApplication::processEvents();
    } else if (m_clock.elapsed() >= 200) {
        m_clock.restart();
        m_window.setPanelText(1, progressText(name, stored));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void WindowObserver::status(const QString &text)
{
    m_window.setPanelText(1, text);
}

void WindowObserver::message(const QString &text)
{
    restoreCursor();
    Dialogs::information(&m_window, text);
}

void WindowObserver::showNewPairs(const QString &path)
{
    Dialogs::openDocument(path);
}

void WindowObserver::finishLog()
{
    restoreCursor();
    m_window.setPanelText(1, QStringLiteral("Log processed."));
    m_window.importButton()->setEnabled(true);
    m_window.exitButton()->setEnabled(true);
    if (m_window.refreshViews)
        m_window.refreshViews();
}

void WindowObserver::restoreCursor()
{
    if (m_busy)
        QApplication::restoreOverrideCursor();
    m_busy = false;
}

} // namespace corvane
