#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane
{

namespace
{
QString &folderRef()
{
    static QString folder;
    return folder;
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
    if (!exeDir.isEmpty() && QFileInfo(exeDir).isWritable())
        return exeDir;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("ACARS Corvane"));
}

void AppPaths::setAppFolder(const QString &folder)
{
    folderRef() = folder;
}

QString AppPaths::appFolder()
{
    return folderRef();
}

QString AppPaths::filePath(const QString &name)
{
    return QDir(folderRef()).filePath(name);
}

} // namespace corvane
