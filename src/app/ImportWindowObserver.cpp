#include "ImportWindowObserver.h"

#include "MainWindow.h"
#include "formats/LogImporter.h"

namespace corvane
{

ImportWindowObserver::ImportWindowObserver(MainWindow &window, QObject *parent)
    : QObject(parent), WindowObserver(window), m_window(window)
{
}

void ImportWindowObserver::record(const QString &name, qint64 stored, qint64, qint64)
{
    m_window.setPanelText(1, LogImporter::progressText(name, stored));
}

void ImportWindowObserver::finishLog()
{
    // The buttons stay disabled until the whole run ends: the window stays
    // usable meanwhile, and a second run cannot start between two files.
    m_window.setPanelText(1, QStringLiteral("Log processed."));
    if (m_window.refreshViews)
        m_window.refreshViews();
}

void ImportWindowObserver::message(const QString &text)
{
    m_messages << text;
}

} // namespace corvane
