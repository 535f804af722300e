#pragma once

#include "WindowObserver.h"

#include <QObject>

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

private:
    MainWindow &m_window;
};

} // namespace corvane
