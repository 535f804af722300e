#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane
{

namespace
{
const QString kShareFolder = QStringLiteral("corvane");

QString installedShareFolder()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (exeDir.isEmpty())
        return {};
    return QDir::cleanPath(QDir(exeDir).filePath(QStringLiteral("../share/") + kShareFolder));
}
} // namespace

QString AppPaths::resolve(const QString &dataDirOption)
{
    if (!dataDirOption.isEmpty())
        return QDir(dataDirOption).absolutePath();
    const QString env = qEnvironmentVariable("CORVANE_DATA_DIR");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty() && !isInstalled() && QFileInfo(exeDir).isWritable())
        return exeDir;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("ACARS Corvane"));
}

bool AppPaths::isInstalled()
{
    const QString share = installedShareFolder();
    return !share.isEmpty() && QFileInfo(share).isDir();
}

QStringList AppPaths::shippedFolders()
{
    QStringList folders;
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty())
        folders << exeDir;
    const QString share = installedShareFolder();
    if (!share.isEmpty())
        folders << share;
    // Other prefixes (a package under /usr while the program runs from elsewhere).
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir(data).filePath(kShareFolder);
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

QString AppPaths::shippedFile(const QString &name)
{
    for (const QString &folder : shippedFolders()) {
        const QFileInfo info(QDir(folder).filePath(name));
        if (info.isFile() && info.isReadable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

} // namespace corvane
