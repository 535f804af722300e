#include "StoreBackup.h"

#include "OutputPathGuard.h"
#include "Schema.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreCopy.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <climits>

namespace corvane
{

namespace
{
void removeWithCompanions(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}
} // namespace

QString StoreBackup::refusal(const QString &folder) const
{
    if (folder.isEmpty())
        return QStringLiteral("no backup folder given");
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(m_store.folder()).canonicalFilePath())
        return QStringLiteral("%1 is the data folder itself; choose another folder").arg(folder);
    const OutputPathGuard guard(m_store);
    for (Schema::File file : Schema::kFiles) {
        const QString why = guard.refusal(QDir(folder).filePath(Schema::fileName(file)));
        if (!why.isEmpty())
            return why;
    }
    return {};
}

bool StoreBackup::copyTo(const QString &folder, const Progress &progress)
{
    m_error.clear();
    m_cancelled = false;
    m_written.clear();
    m_error = refusal(folder);
    if (!m_error.isEmpty())
        return false;
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("Cannot create the folder %1").arg(folder);
        return false;
    }
    if (m_store.onServer())
        return copyFromServer(folder, progress);
    // Each copy is made beside its target and moved into place only when
    // all three are whole, so a failed run leaves an older backup as it was.
    QStringList partial;
    bool ok = true;
    for (Schema::File file : Schema::kFiles) {
        const QString temp =
            QDir(folder).filePath(Schema::fileName(file)) + QStringLiteral(".partial");
        partial << temp;
        if (!copyFile(int(file), temp, progress)) {
            ok = false;
            break;
        }
    }
    if (ok)
        return replaceWith(partial, folder);
    for (const QString &temp : std::as_const(partial))
        removeWithCompanions(temp);
    return false;
}

bool StoreBackup::replaceWith(const QStringList &copies, const QString &folder)
{
    bool ok = true;
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const QString target = QDir(folder).filePath(Schema::fileName(Schema::kFiles[i]));
        if (ok) {
            removeWithCompanions(target);
            if (!QFile::rename(copies[i], target)) {
                m_error = QStringLiteral("Cannot write %1").arg(target);
                ok = false;
            } else {
                m_written << target;
            }
        }
        removeWithCompanions(copies[i]);
    }
    return ok;
}

// The copy is made in a folder of its own beside the targets: a new store
// there takes the server's rows, through a connection of its own (the
// window's goes on reading beside it).
bool StoreBackup::copyFromServer(const QString &folder, const Progress &progress)
{
    const QString partial = QDir(folder).filePath(QStringLiteral(".backup-partial"));
    QDir(partial).removeRecursively();
    QStringList copies;
    bool ok = false;
    try {
        Store source;
        source.openReaderOf(m_store);
        Store copy;
        copy.open(partial);
        ok = StoreCopy(copy).fromServer(
            source.server(), [&](const QString &table, qint64 done, qint64 total) {
                return !progress || progress(table, int(qMin<qint64>(done, INT_MAX)),
                                             int(qMin<qint64>(total, INT_MAX)));
            });
        m_cancelled = !ok;
        for (Schema::File file : Schema::kFiles)
            copies << copy.path(file);
    } catch (const StoreError &e) {
        m_error = e.message();
    }
    // The copy's store is closed here: its files are whole and may move.
    ok = ok && replaceWith(copies, folder);
    QDir(partial).removeRecursively();
    return ok;
}

bool StoreBackup::copyFile(int fileIndex, const QString &target, const Progress &progress)
{
    const auto file = static_cast<Schema::File>(fileIndex);
    const QString name = Schema::fileName(file);
    removeWithCompanions(target);
    SqliteDb out;
    try {
        out.open(target);
    } catch (const StoreError &e) {
        m_error = e.message();
        return false;
    }
    SqliteDb &source = m_store.db(file);
    // One read snapshot for the whole copy: writers carry on beside it (the
    // files keep a write-ahead log) and the copy never has to start again.
    try {
        source.exec("BEGIN");
        source.userVersion();
    } catch (const StoreError &e) {
        m_error = e.message();
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(out.handle(), "main", source.handle(), "main");
    bool ok = backup != nullptr;
    int total = 0;
    while (ok) {
        const int rc = sqlite3_backup_step(backup, kPagesPerStep);
        total = sqlite3_backup_pagecount(backup);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(10);
        else if (rc != SQLITE_OK)
            ok = false;
        if (ok && progress && !progress(name, total - sqlite3_backup_remaining(backup), total)) {
            m_cancelled = true;
            ok = false;
        }
    }
    if (backup && sqlite3_backup_finish(backup) != SQLITE_OK)
        ok = false;
    if (!backup || (!ok && !m_cancelled))
        m_error = QStringLiteral("Cannot back up %1 to %2: %3")
                      .arg(source.path(), target, QString::fromUtf8(sqlite3_errmsg(out.handle())));
    sqlite3_exec(source.handle(), "COMMIT", nullptr, nullptr, nullptr);
    if (ok && progress)
        progress(name, total, total);
    out.close();
    return ok;
}

} // namespace corvane
