#include "HelpPage.h"

#include "Dialogs.h"
#include "settings/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvane
{

namespace
{
const QString kFileName = QStringLiteral("help.html");

// The "docs" folder of the source tree the program was built from.
QString sourceDocsFolder()
{
    return QStringLiteral(CORVANE_SOURCE_DOCS);
}
} // namespace

QStringList HelpPage::candidates()
{
    const QDir exe(QCoreApplication::applicationDirPath());
    QStringList files;
    for (const QString &folder : AppPaths::shippedFolders())
        files << QDir(folder).filePath(kFileName);
    files << exe.filePath(QStringLiteral("docs/") + kFileName)
          << exe.filePath(QStringLiteral("../docs/") + kFileName)
          << QDir(sourceDocsFolder()).filePath(kFileName);
    return files;
}

QString HelpPage::path()
{
    for (const QString &candidate : candidates()) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

void HelpPage::open(QWidget *parent)
{
    const QString page = path();
    if (page.isEmpty()) {
        Dialogs::information(parent, QStringLiteral("The help page \"%1\" was not found beside the "
                                                    "program.")
                                         .arg(kFileName));
        return;
    }
    if (!Dialogs::openDocument(page))
        Dialogs::information(parent,
                             QStringLiteral("The help page \"%1\" could not be opened.").arg(page));
}

} // namespace corvane
