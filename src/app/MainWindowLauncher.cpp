#include "MainWindowLauncher.h"

#include "AppPaths.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QApplication>

namespace corvane
{

int MainWindowLauncher::run(const QString &appFolder)
{
    AppPaths::setAppFolder(appFolder);
    Store store;
    try {
        store.open(appFolder);
    } catch (const StoreError &e) {
        Dialogs::critical(nullptr, e.message());
        return 1;
    }
    MainWindow window(store);
    window.startUp();
    window.show();
    return QApplication::exec();
}

} // namespace corvane
