#include "Store.h"

#include "MessageCompanions.h"
#include "SqliteDb.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace corvane
{

namespace
{
} // namespace

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
    return m_acarsLog->isOpen();
}

QString Store::path(Schema::File file) const
{
    return QDir(m_folder).filePath(Schema::fileName(file));
}

SqliteDb &Store::db(Schema::File file)
{
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
        Schema::checkIsSqliteFile(path(file));
    try {
        for (Schema::File file : Schema::kFiles) {
            db(file).open(path(file));
            Schema::ensure(db(file), file, progress);
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
    try {
        for (Schema::File file : Schema::kFiles) {
            openFileReadOnly(file);
            if (!Schema::isCurrent(db(file), file)) {
                close();
                return false;
            }
        }
    } catch (...) {
        close();
        throw;
    }
    m_readOnly = true;
    return true;
}

void Store::openFileReadOnly(Schema::File file)
{
    Schema::checkIsSqliteFile(path(file));
    SqliteDb &conn = db(file);
    conn.open(path(file), SqliteDb::Mode::ReadOnly);
    try {
        conn.userVersion();
    } catch (const StoreError &) {
        // A write-ahead-log file whose shared-memory companion cannot be
        // made here (a read-only folder or mount): nobody writes it either.
        conn.open(path(file), SqliteDb::Mode::Immutable);
    }
}

void Store::close()
{
    m_readOnly = false;
    for (Schema::File file : Schema::kFiles)
        db(file).close();
}

} // namespace corvane
