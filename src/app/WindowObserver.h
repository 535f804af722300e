#pragma once

#include "formats/ImportObserver.h"

#include <QElapsedTimer>

namespace corvane
{

class MainWindow;

// Follows a log import or a live pass in the main window: the hourglass,
// the progress text in panel 1, events let through as the setting
// "DoEvents" says (with it off the window still repaints a few times a
// second, taking no input), messages, and the steps that end a read.
class WindowObserver : public ImportObserver
{
public:
    enum class Kind { LogImport, LivePass };

    WindowObserver(MainWindow &window, Kind kind);

    void record(const QString &name, qint64 stored, qint64 position, qint64 size) override;
    void status(const QString &text) override;
    void message(const QString &text) override;
    void showNewPairs(const QString &path) override;
    void finishLog() override;
    // Ends the hourglass of a read that stopped early.
    void restoreCursor();

private:
    QString progressText(const QString &name, qint64 stored) const;

    MainWindow &m_window;
    Kind m_kind;
    QElapsedTimer m_clock;
    bool m_busy = false;
};

} // namespace corvane
