#pragma once

#include "Schema.h"
#include "SchemaDeclarations.h"

#include <QString>
#include <memory>

namespace corvane
{

class PgConnection;
class ServerUrl;
class SqliteDb;

// The store: the three database files of the application folder, or the
// same tables in one database on a PostgreSQL server (the folder then keeps
// only the work files). Only the classes of the store reach the database
// (through the connections below); everything else asks those classes, so
// no caller depends on the engine or where the store is.
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
    // Opens the store on a server, making its tables in an empty database.
    // Throws StoreError naming the server (never a password).
    void openServer(const QString &appFolder, const ServerUrl &url);
    // The store a station is set to: the server the address names, or the
    // folder's files when it is empty.
    void openChosen(const QString &appFolder, const QString &serverUrl,
                    const SchemaProgress &progress = {});
    void openChosenForReading(const QString &appFolder, const QString &serverUrl,
                              const SchemaProgress &progress = {});
    // One more connection to the message table of the store this one has
    // open, for reading on another thread: the message file read-only, or
    // a connection of its own to the same server.
    void openReaderOf(const Store &other);
    void close();
    bool isOpen() const;
    bool onServer() const { return m_server != nullptr; }
    SqlDialect dialect() const { return onServer() ? SqlDialect::Postgres : SqlDialect::Sqlite; }
    // The server's address for messages, or empty for the files.
    QString serverDisplay() const;
    bool isReadOnly() const { return m_readOnly; }
    // Why the files are read in a lesser way than asked (the disk holding
    // them is full), for the user; empty when they are not.
    const QString &warning() const { return m_warning; }

    // How long a write waits for another connection's (or process's)
    // transaction before it fails; 5 s unless set.
    void setLockWait(int milliseconds);

    const QString &folder() const { return m_folder; }
    QString path(Schema::File file) const;

    // The connections, for the classes of the store. On a server, the
    // files' connections throw StoreError saying the work needs the files.
    SqliteDb &acarsLog() { return db(Schema::File::AcarsLog); }
    SqliteDb &routes() { return db(Schema::File::Routes); }
    SqliteDb &alerts() { return db(Schema::File::Alerts); }
    SqliteDb &db(Schema::File file);
    PgConnection &server();
    // Stops what runs on the connection to the messages; from any thread.
    void interrupt();
    // From any thread: a server that has not answered millis from now is
    // given up, now and later (for a stop that must end in time). The
    // files have nothing to give up.
    void abandonServerWaitsAfter(int millis);
    // Whether a StoreTransaction is open: a read inside one is not run
    // again on a new connection, which would carry on outside it.
    bool inTransaction() const { return m_transactions > 0; }
    // After a failure on the server: a new connection when the old one died
    // and no transaction was open on it (then the statement may run again).
    bool reconnectedOutsideTransaction();

private:
    friend class StoreTransaction;

    bool openReadOnly();
    void openFileReadOnly(Schema::File file);
    // Files of this process's stores are never opened by other means.
    void markFilesOpen();
    QString diskFull() const;

    QString m_folder;
    bool m_readOnly = false;
    bool m_filesOpen = false;
    QString m_warning;
    std::unique_ptr<SqliteDb> m_acarsLog;
    std::unique_ptr<SqliteDb> m_routes;
    std::unique_ptr<SqliteDb> m_alerts;
    std::unique_ptr<PgConnection> m_server;
    int m_transactions = 0;
};

} // namespace corvane
