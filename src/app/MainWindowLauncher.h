#pragma once

#include <QString>

namespace corvane
{

// Opens the store in the application folder, shows the main window and runs
// the event loop until it closes.
class MainWindowLauncher
{
public:
    static int run(const QString &appFolder);
};

} // namespace corvane
