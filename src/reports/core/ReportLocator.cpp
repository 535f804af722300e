#include "ReportLocator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvane
{

ReportLocator ReportLocator::forApplication(const QString &appFolder)
{
    QStringList folders;
    const auto add = [&](const QString &folder) {
        const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
        if (!folder.isEmpty() && !folders.contains(clean))
            folders << clean;
    };
    add(appFolder);
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!exeDir.isEmpty()) {
        add(exeDir);
        add(exeDir + QStringLiteral("/../share/corvane/reports"));
    }
    return ReportLocator(folders);
}

QString ReportLocator::find(const QString &reportName) const
{
    // A name is a file name, never a path into another folder.
    if (reportName.isEmpty() || reportName.contains(u'/') || reportName.contains(u'\\') ||
        reportName.startsWith(u'.'))
        return {};
    for (const QString &folder : m_folders) {
        const QFileInfo info(QDir(folder).filePath(fileNameOf(reportName)));
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return {};
}

QStringList ReportLocator::names() const
{
    QStringList found;
    for (const QString &folder : m_folders)
        for (const QFileInfo &info :
             QDir(folder).entryInfoList({QStringLiteral("*.rpt")}, QDir::Files, QDir::Name))
            if (!found.contains(info.completeBaseName()))
                found << info.completeBaseName();
    return found;
}

} // namespace corvane
