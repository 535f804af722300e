#pragma once

#include "Schema.h"

#include <QString>
#include <memory>

namespace corvane
{

class SqliteDb;

// The three database files of the application folder. Only the classes of
// the store reach the files (through the connections below); everything
// else asks those classes, so no caller depends on the database engine.
class Store
{
public:
    Store();
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Opens (creating when missing) the three files in the folder. Throws
    // StoreError naming the file at fault; nothing is overwritten. A long
    // upgrade of an older file reports through the progress callback.
    void open(const QString &appFolder, const SchemaProgress &progress = {});
    // For those that only read: an existing, current store is opened
    // read-only, so it can be read on read-only media or from another user's
    // folder. One that is missing or needs an upgrade is created or upgraded
    // as open() does; where that cannot be written, StoreError says so.
    void openForReading(const QString &appFolder, const SchemaProgress &progress = {});
    void close();
    bool isOpen() const;
    bool isReadOnly() const { return m_readOnly; }

    // How long a write waits for another connection's (or process's)
    // transaction before it fails; 5 s unless set.
    void setLockWait(int milliseconds);

    const QString &folder() const { return m_folder; }
    QString path(Schema::File file) const;

    // The connections, for the classes of the store.
    SqliteDb &acarsLog() { return *m_acarsLog; }
    SqliteDb &routes() { return *m_routes; }
    SqliteDb &alerts() { return *m_alerts; }
    SqliteDb &db(Schema::File file);

private:
    bool openReadOnly();
    void openFileReadOnly(Schema::File file);

    QString m_folder;
    bool m_readOnly = false;
    std::unique_ptr<SqliteDb> m_acarsLog;
    std::unique_ptr<SqliteDb> m_routes;
    std::unique_ptr<SqliteDb> m_alerts;
};

} // namespace corvane
