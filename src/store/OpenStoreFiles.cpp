#include "OpenStoreFiles.h"

#include "OutputPathGuard.h"

#include <QDir>
#include <QStringList>
#include <mutex>

namespace corvane
{

namespace
{
std::mutex g_mutex;
QStringList g_folders; // once for each opening
} // namespace

void OpenStoreFiles::opened(const QString &folder)
{
    std::lock_guard lock(g_mutex);
    g_folders << folder;
}

void OpenStoreFiles::closed(const QString &folder)
{
    std::lock_guard lock(g_mutex);
    g_folders.removeOne(folder);
}

QString OpenStoreFiles::readRefusal(const QString &path)
{
    QStringList folders;
    {
        std::lock_guard lock(g_mutex);
        folders = g_folders;
    }
    folders.removeDuplicates();
    for (const QString &folder : std::as_const(folders)) {
        const QString stored = OutputPathGuard(folder).storeFileAt(path);
        if (!stored.isEmpty())
            return QStringLiteral("%1 is a file of the store (%2); it was not read")
                .arg(path, QDir::toNativeSeparators(stored));
    }
    return {};
}

} // namespace corvane
