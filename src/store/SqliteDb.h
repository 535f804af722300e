#pragma once

#include <QString>
#include <QVariant>
#include <sqlite3.h>
#include <vector>

namespace corvane
{

class SqliteStatement;

// One open SQLite database file, used through the C API on the recording path.
class SqliteDb
{
public:
    SqliteDb() = default;
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // ReadOnly never writes the file. Reading a write-ahead-log file still
    // makes or grows its shared-memory companion; where that cannot be done
    // (a read-only folder, a full disk), ReadOnlySharedMemory reads an
    // existing companion as it is and keeps the log's index in memory.
    // Immutable promises SQLite that nobody writes the file, for read-only
    // media without a companion: the file is read alone.
    enum class Mode { ReadWrite, ReadOnly, ReadOnlySharedMemory, Immutable };

    void open(const QString &path, Mode mode = Mode::ReadWrite);
    // The name and flags the engine opens a path with in a mode.
    static QByteArray openingName(const QString &path, Mode mode);
    static int openingFlags(Mode mode);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // How long a statement waits for a lock another connection holds.
    void setLockWait(int milliseconds);
    sqlite3 *handle() const { return m_db; }
    const QString &path() const { return m_path; }

    void exec(const char *sql);
    int userVersion();
    void setUserVersion(int version);
    bool tableExists(const QString &table);
    QStringList columnsOf(const QString &table);
    QStringList tableNames();
    qint64 lastInsertRowId() const;

    // Throws StoreError naming the file and the engine's message.
    [[noreturn]] void fail(const QString &what) const;
    // Whether the last failure was for want of space on the disk.
    bool failedForSpace() const;

private:
    // The engine's message, or that the disk is full where it only says
    // "disk I/O error".
    QString failure(const char *message) const;

    sqlite3 *m_db = nullptr;
    QString m_path;
};

// A prepared statement; positional parameters are bound from 1.
class SqliteStatement
{
public:
    SqliteStatement(SqliteDb &db, const char *sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    void bind(int index, const QString &value);
    void bind(int index, const QByteArray &utf8);
    void bind(int index, qint64 value);
    void bindVariant(int index, const QVariant &value);
    // Returns true while there is a row to read.
    bool step();
    void reset();
    // Runs a statement that returns no rows, then resets it for the next use.
    void run();

    int columnCount() const;
    QString columnName(int column) const;
    QString text(int column) const;
    qint64 int64(int column) const;
    QVariant value(int column) const;
    bool isNull(int column) const;
    // For reading columns as raw bytes in tight loops.
    sqlite3_stmt *handle() const { return m_stmt; }

private:
    SqliteDb &m_db;
    sqlite3_stmt *m_stmt = nullptr;
    std::vector<QByteArray> m_held;
};

// A transaction that rolls back unless committed.
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteDb &db);
    ~SqliteTransaction();
    void commit();

private:
    SqliteDb &m_db;
    bool m_open = true;
};

} // namespace corvane
