#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane
{

class Store;

// Copies the three database files of an open store into another folder
// while others go on writing to them: each file is copied from one read
// snapshot with SQLite's online backup, under a temporary name that becomes
// the real one only when the copy is whole. The folder may not be the
// store's own. A store on a server is backed up into the same three files,
// copied from one snapshot of the server's tables, so the backup opens as
// a data folder of its own.
class StoreBackup
{
public:
    // file: the database file name; done and total: its pages. Returning
    // false cancels.
    using Progress = std::function<bool(const QString &file, int done, int total)>;

    static constexpr int kPagesPerStep = 1024;

    explicit StoreBackup(Store &store) : m_store(store) {}

    // True when all three files were copied. Otherwise errorText() says why
    // (or the run was cancelled) and no file of the folder was replaced
    // by a partial copy.
    bool copyTo(const QString &folder, const Progress &progress = {});
    const QString &errorText() const { return m_error; }
    bool wasCancelled() const { return m_cancelled; }
    // The files written, as paths.
    const QStringList &written() const { return m_written; }

    // Empty when the folder may take a backup of the store; otherwise why not.
    QString refusal(const QString &folder) const;

private:
    bool copyFile(int file, const QString &target, const Progress &progress);
    bool copyFromServer(const QString &folder, const Progress &progress);
    // Moves the whole copies into the folder, replacing an older backup.
    bool replaceWith(const QStringList &copies, const QString &folder);

    Store &m_store;
    QString m_error;
    bool m_cancelled = false;
    QStringList m_written;
};

} // namespace corvane
