#pragma once

#include <QObject>

namespace corvane
{

class MainWindow;

// File > Backup...: a copy of the three database files in a folder the user
// picks, with progress, while recording may go on.
class BackupController : public QObject
{
    Q_OBJECT
public:
    explicit BackupController(MainWindow &window);

    void backUp();

private:
    MainWindow &m_window;
};

} // namespace corvane
