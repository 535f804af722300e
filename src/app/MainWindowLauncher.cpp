#include "MainWindowLauncher.h"

#include "AppPaths.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

namespace corvane {

int MainWindowLauncher::run(const QString &appFolder)
{
    AppPaths::setAppFolder(appFolder);
    Store store;
    try {
        store.open(appFolder);
    } catch (const StoreError &e) {
        QMessageBox::critical(nullptr, QStringLiteral("ACARS Corvane"), e.message());
        return 1;
    }
    QMainWindow window;
    window.setObjectName(QStringLiteral("ACARS"));
    window.show();
    return QApplication::exec();
}

} // namespace corvane
