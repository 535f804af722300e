#pragma once

#include "WindowObserver.h"

#include <QObject>
#include <QStringList>
#include <utility>

namespace corvane
{

class MainWindow;

// The window's side of an import that runs on the recorder thread: the
// progress text in panel 1, the messages the user must see, the new-pairs
// file, and the grids brought up to date at the end of each file. Every
// call arrives through the window's event loop.
class ImportWindowObserver : public QObject, public WindowObserver
{
    Q_OBJECT
public:
    explicit ImportWindowObserver(MainWindow &window, QObject *parent = nullptr);

    void record(const QString &name, qint64 stored, qint64 position, qint64 size) override;
    void finishLog() override;
    // Kept for the end of the run, which shows them with what it did, so
    // that the user reads the reasons and the outcome together.
    void message(const QString &text) override;
    QStringList takeMessages() { return std::exchange(m_messages, {}); }

private:
    MainWindow &m_window;
    QStringList m_messages;
};

} // namespace corvane
