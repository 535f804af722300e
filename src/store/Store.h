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
    // StoreError naming the file at fault; nothing is overwritten.
    void open(const QString &appFolder);
    void close();
    bool isOpen() const;

    const QString &folder() const { return m_folder; }
    QString path(Schema::File file) const;

    // The connections, for the classes of the store.
    SqliteDb &acarsLog() { return *m_acarsLog; }
    SqliteDb &routes() { return *m_routes; }
    SqliteDb &alerts() { return *m_alerts; }
    SqliteDb &db(Schema::File file);

private:
    QString m_folder;
    std::unique_ptr<SqliteDb> m_acarsLog;
    std::unique_ptr<SqliteDb> m_routes;
    std::unique_ptr<SqliteDb> m_alerts;
};

} // namespace corvane
