#include "Store.h"

#include "MessageCompanions.h"
#include "SqliteDb.h"
#include "StoreError.h"

#include <QDir>

namespace corvane
{

namespace
{
const Schema::File kFiles[] = {Schema::File::AcarsLog, Schema::File::Routes, Schema::File::Alerts};
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
        MessageCompanions(acarsLog()).finishRenumbering();
    } catch (...) {
        close();
        throw;
    }
}

void Store::close()
{
    for (Schema::File file : kFiles)
        db(file).close();
}

} // namespace corvane
