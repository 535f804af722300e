#include "Store.h"

#include "StoreError.h"

#include <QDir>
#include <QSqlError>

namespace corvane
{

namespace
{
const Schema::File kFiles[] = {Schema::File::AcarsLog, Schema::File::Routes, Schema::File::Alerts};
int g_storeSerial = 0;
} // namespace

Store::~Store()
{
    close();
}

QString Store::path(Schema::File file) const
{
    return QDir(m_folder).filePath(Schema::fileName(file));
}

SqliteDb &Store::db(Schema::File file)
{
    switch (file) {
    case Schema::File::Routes:
        return m_routes;
    case Schema::File::Alerts:
        return m_alerts;
    default:
        return m_acarsLog;
    }
}

void Store::open(const QString &appFolder)
{
    close();
    m_folder = appFolder;
    if (!QDir().mkpath(appFolder))
        throw StoreError(QStringLiteral("Cannot create the application folder %1").arg(appFolder));
    // Check every file before touching any, so a refused file leaves all three as they were.
    for (Schema::File file : kFiles)
        Schema::checkIsSqliteFile(path(file));
    try {
        for (Schema::File file : kFiles) {
            db(file).open(path(file));
            Schema::ensure(db(file), file);
        }
    } catch (...) {
        close();
        throw;
    }
    m_qtPrefix = QStringLiteral("corvane%1:").arg(++g_storeSerial);
}

void Store::close()
{
    for (Schema::File file : kFiles) {
        const QString name = m_qtPrefix + connectionName(file);
        if (!m_qtPrefix.isEmpty() && QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        db(file).close();
    }
    m_qtPrefix.clear();
}

QString Store::connectionName(Schema::File file)
{
    switch (file) {
    case Schema::File::Routes:
        return QStringLiteral("Routes");
    case Schema::File::Alerts:
        return QStringLiteral("Alerts");
    default:
        return QStringLiteral("ACARSLog");
    }
}

QSqlDatabase Store::qtDatabase(Schema::File file)
{
    const QString name = m_qtPrefix + connectionName(file);
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    QSqlDatabase qdb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    qdb.setDatabaseName(path(file));
    qdb.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!qdb.open())
        throw StoreError(
            QStringLiteral("Cannot open %1: %2").arg(path(file), qdb.lastError().text()));
    return qdb;
}

} // namespace corvane
