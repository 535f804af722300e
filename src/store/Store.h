#pragma once

#include "Schema.h"
#include "SqliteDb.h"

#include <QSqlDatabase>
#include <QString>

namespace corvane
{

// The three database files of the application folder. The recording path
// uses the SQLite C API; grids and editors reach the same files through
// Qt SQL connections named "ACARSLog", "Routes" and "Alerts".
class Store
{
public:
    Store() = default;
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Opens (creating when missing) the three files in the folder. Throws
    // StoreError naming the file at fault; nothing is overwritten.
    void open(const QString &appFolder);
    void close();
    bool isOpen() const { return m_acarsLog.isOpen(); }

    const QString &folder() const { return m_folder; }
    QString path(Schema::File file) const;

    SqliteDb &acarsLog() { return m_acarsLog; }
    SqliteDb &routes() { return m_routes; }
    SqliteDb &alerts() { return m_alerts; }
    SqliteDb &db(Schema::File file);

    // A Qt SQL connection on the file, opened on first use.
    QSqlDatabase qtDatabase(Schema::File file);
    static QString connectionName(Schema::File file);

private:
    QString m_folder;
    QString m_qtPrefix;
    SqliteDb m_acarsLog;
    SqliteDb m_routes;
    SqliteDb m_alerts;
};

} // namespace corvane
