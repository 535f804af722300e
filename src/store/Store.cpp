#include "Store.h"

#include "MessageCompanions.h"
#include "OpenStoreFiles.h"
#include "PgConnection.h"
#include "PgSchema.h"
#include "ServerUrl.h"
#include "SqliteDb.h"
#include "SqliteSchema.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace corvane
{

Store::Store()
    : m_acarsLog(std::make_unique<SqliteDb>()), m_routes(std::make_unique<SqliteDb>()),
      m_alerts(std::make_unique<SqliteDb>())
{
}

Store::~Store()
{
    close();
}

void Store::setLockWait(int milliseconds)
{
    for (SqliteDb *db : {m_acarsLog.get(), m_routes.get(), m_alerts.get()})
        if (db && db->isOpen())
            db->setLockWait(milliseconds);
}

bool Store::isOpen() const
{
    return m_server ? m_server->isOpen() : m_acarsLog->isOpen();
}

bool Store::reconnectedOutsideTransaction()
{
    return m_server && !inTransaction() && !m_server->isConnected() && m_server->reconnect();
}

QString Store::serverDisplay() const
{
    return m_server ? m_server->url().display() : QString();
}

PgConnection &Store::server()
{
    if (!m_server)
        throw StoreError(
            QStringLiteral("The store in %1 is on files, not on a server").arg(m_folder));
    return *m_server;
}

void Store::interrupt()
{
    if (m_server)
        m_server->cancelRunning();
    else if (m_acarsLog->isOpen())
        sqlite3_interrupt(m_acarsLog->handle());
}

void Store::abandonServerWaitsAfter(int millis)
{
    if (m_server)
        m_server->abandonAfter(millis);
}

QString Store::path(Schema::File file) const
{
    return QDir(m_folder).filePath(Schema::fileName(file));
}

SqliteDb &Store::db(Schema::File file)
{
    if (m_server)
        throw StoreError(QStringLiteral("This works on the data folder's files only so far, and "
                                        "the store is on the server %1")
                             .arg(m_server->url().display()));
    switch (file) {
    case Schema::File::Routes:
        return *m_routes;
    case Schema::File::Alerts:
        return *m_alerts;
    default:
        return *m_acarsLog;
    }
}

void Store::open(const QString &appFolder, const SchemaProgress &progress)
{
    close();
    m_folder = appFolder;
    if (!QDir().mkpath(appFolder))
        throw StoreError(QStringLiteral("Cannot create the application folder %1").arg(appFolder));
    // Check every file before touching any, so a refused file leaves all three as they were.
    for (Schema::File file : Schema::kFiles)
        SqliteSchema::checkIsSqliteFile(path(file));
    markFilesOpen();
    try {
        for (Schema::File file : Schema::kFiles) {
            db(file).open(path(file));
            SqliteSchema::ensure(db(file), file, progress);
        }
        MessageCompanions(acarsLog()).finishRenumbering();
    } catch (...) {
        close();
        throw;
    }
}

void Store::openForReading(const QString &appFolder, const SchemaProgress &progress)
{
    close();
    m_folder = appFolder;
    if (openReadOnly())
        return;
    try {
        open(appFolder, progress);
    } catch (const StoreError &e) {
        if (QFileInfo(appFolder).isDir() && QFileInfo(appFolder).isWritable())
            throw;
        throw StoreError(QStringLiteral("The store in %1 is missing or needs an upgrade, and the "
                                        "folder cannot be written: %2")
                             .arg(appFolder, e.message()));
    }
}

bool Store::openReadOnly()
{
    for (Schema::File file : Schema::kFiles)
        if (!QFileInfo(path(file)).isFile())
            return false;
    markFilesOpen();
    try {
        for (Schema::File file : Schema::kFiles) {
            openFileReadOnly(file);
            if (!SqliteSchema::isCurrent(db(file), file)) {
                close();
                return false;
            }
        }
    } catch (const StoreError &e) {
        // A file read alone may look damaged while the disk is full: the
        // full disk is what to mend.
        const bool full = !m_warning.isEmpty();
        close();
        if (!full)
            throw;
        throw StoreError(
            QStringLiteral("%1: free some space and try again (%2)").arg(diskFull(), e.message()));
    } catch (...) {
        close();
        throw;
    }
    m_readOnly = true;
    return true;
}

void Store::openFileReadOnly(Schema::File file)
{
    SqliteSchema::checkIsSqliteFile(path(file));
    SqliteDb &conn = db(file);
    // Reading a write-ahead-log file makes or grows its shared-memory
    // companion. Where that cannot be done (a read-only folder or mount, a
    // full disk), an existing companion is read as it is; where there is
    // none, nobody writes the file either and it is read alone.
    for (const auto mode : {SqliteDb::Mode::ReadOnly, SqliteDb::Mode::ReadOnlySharedMemory}) {
        conn.open(path(file), mode);
        try {
            conn.userVersion();
            return;
        } catch (const StoreError &) {
            if (conn.failedForSpace())
                m_warning = diskFull() + QStringLiteral(": the store is only read until space "
                                                        "is freed");
        }
    }
    conn.open(path(file), SqliteDb::Mode::Immutable);
}

QString Store::diskFull() const
{
    return QStringLiteral("The disk holding %1 is full").arg(m_folder);
}

void Store::openServer(const QString &appFolder, const ServerUrl &url)
{
    close();
    m_folder = appFolder;
    // The work files (live.txt, the new pairs) still go to the folder.
    if (!QDir().mkpath(appFolder))
        throw StoreError(QStringLiteral("Cannot create the application folder %1").arg(appFolder));
    auto server = std::make_unique<PgConnection>();
    server->open(url);
    PgSchema::ensure(*server);
    m_server = std::move(server);
}

void Store::openChosen(const QString &appFolder, const QString &serverUrl,
                       const SchemaProgress &progress)
{
    if (serverUrl.isEmpty())
        open(appFolder, progress);
    else
        openServer(appFolder, ServerUrl::parse(serverUrl));
}

void Store::openChosenForReading(const QString &appFolder, const QString &serverUrl,
                                 const SchemaProgress &progress)
{
    if (serverUrl.isEmpty())
        openForReading(appFolder, progress);
    else
        openServer(appFolder, ServerUrl::parse(serverUrl));
}

void Store::openReaderOf(const Store &other)
{
    close();
    m_folder = other.m_folder;
    if (other.m_server) {
        auto server = std::make_unique<PgConnection>();
        server->open(other.m_server->url());
        m_server = std::move(server);
        m_readOnly = true;
        return;
    }
    markFilesOpen();
    try {
        openFileReadOnly(Schema::File::AcarsLog);
    } catch (...) {
        close();
        throw;
    }
    m_readOnly = true;
}

void Store::markFilesOpen()
{
    OpenStoreFiles::opened(m_folder);
    m_filesOpen = true;
}

void Store::close()
{
    m_server.reset();
    m_readOnly = false;
    for (Schema::File file : Schema::kFiles)
        db(file).close();
    if (m_filesOpen)
        OpenStoreFiles::closed(m_folder);
    m_filesOpen = false;
    m_warning.clear();
}

} // namespace corvane
