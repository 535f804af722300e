#pragma once

#include "formats/ImportObserver.h"

namespace corvane
{

class MainWindow;

// Shows in the main window what the live passes report once their results
// are back from the recorder thread: status texts in panel 1, messages, and
// the steps that end a pass (the grids brought up to date).
class WindowObserver : public ImportObserver
{
public:
    explicit WindowObserver(MainWindow &window) : m_window(window) {}

    void status(const QString &text) override;
    void message(const QString &text) override;
    void showNewPairs(const QString &path) override;
    void finishLog() override;

private:
    MainWindow &m_window;
};

} // namespace corvane
