#pragma once

#include <QString>

namespace corvane
{

class MainWindow;
class RecorderThread;
class Store;
class StoreChangeWatcher;

// Opens the store in the application folder, shows the main window and runs
// the event loop until it closes.
class MainWindowLauncher
{
public:
    static int run(const QString &appFolder);

    // Opens the store on the server the address names, or the folder's files
    // for writing (read-only where they cannot be written); false (the user
    // told why) when it cannot be opened at all.
    static bool openStore(Store &store, const QString &appFolder,
                          const QString &serverUrl = QString());
    // The window of a read-only store: recording, imports and the editors
    // off, and a notice in the status bar.
    static void showReadOnly(MainWindow &window);
    // Refreshes the window's views when another program has recorded into
    // the store, as after its own imports and live passes.
    static void followOtherWriters(MainWindow &window, RecorderThread &recorder,
                                   StoreChangeWatcher &watcher);
};

} // namespace corvane
