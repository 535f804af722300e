#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

class Store;

// Keeps a file written on the user's word (text files, reports, exports,
// backups) off the store's own files: a path that names, or leads through
// links to, a database file or its -wal, -shm or -journal companion is
// refused before anything is written.
class OutputPathGuard
{
public:
    explicit OutputPathGuard(const QString &storeFolder);
    explicit OutputPathGuard(const Store &store);

    // Empty when the path may be written; otherwise why not, naming the file.
    QString refusal(const QString &outputPath) const;
    bool allows(const QString &outputPath) const { return refusal(outputPath).isEmpty(); }
    // The file of the store a path names or leads to; empty for any other.
    QString storeFileAt(const QString &path) const;

    // The store's files, including companions that do not exist right now.
    QStringList protectedPaths() const;

private:
    QString m_folder;
};

} // namespace corvane
