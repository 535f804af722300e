#include "OutputPathGuard.h"

#include "Schema.h"
#include "Store.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace corvane
{

namespace
{
// Where writing to path would land: links are followed one by one (a
// dangling link still leads somewhere a write would create), and the
// folder part is made canonical.
QString landingPath(const QString &path)
{
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            break;
        QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        current = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
    }
    const QFileInfo info(current);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? current : QDir(folder).filePath(info.fileName());
}

// A hard link shares the file itself, whatever its name.
bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
} // namespace

OutputPathGuard::OutputPathGuard(const QString &storeFolder) : m_folder(storeFolder) {}

OutputPathGuard::OutputPathGuard(const Store &store) : m_folder(store.folder()) {}

QStringList OutputPathGuard::protectedPaths() const
{
    static const char *const kCompanions[] = {"", "-wal", "-shm", "-journal"};
    QStringList paths;
    const QDir folder(m_folder);
    for (Schema::File file : Schema::kFiles)
        for (const char *suffix : kCompanions)
            paths << folder.filePath(Schema::fileName(file) + QLatin1String(suffix));
    return paths;
}

QString OutputPathGuard::storeFileAt(const QString &path) const
{
    const QString landing = landingPath(path);
    for (const QString &stored : protectedPaths())
        if (landing == landingPath(stored) || sameFile(path, stored))
            return stored;
    return {};
}

QString OutputPathGuard::refusal(const QString &outputPath) const
{
    if (outputPath.isEmpty())
        return QStringLiteral("no output file given");
    const QString stored = storeFileAt(outputPath);
    if (stored.isEmpty())
        return {};
    return QStringLiteral("%1 is a file of the store (%2); nothing was written")
        .arg(outputPath, QDir::toNativeSeparators(stored));
}

} // namespace corvane
