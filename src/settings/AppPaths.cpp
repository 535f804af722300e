#include "AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane
{

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

} // namespace corvane
