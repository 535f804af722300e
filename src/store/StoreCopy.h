#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace corvane
{

class PgConnection;
class Store;

// Copies a whole store between the SQLite files of a data folder and a
// PostgreSQL server, either way, rowids and all, so the copy answers every
// question as the original does. All or nothing: the target gets every row
// in one transaction, and a failure or a cancel leaves it as it was. The
// target must hold no rows yet (the label meanings a new store starts with
// excepted: the copy replaces them with the source's).
class StoreCopy
{
public:
    // Told after each table and every few thousand rows; returning false cancels.
    using Progress = std::function<bool(const QString &table, qint64 done, qint64 total)>;

    explicit StoreCopy(Store &store);

    // Both return false when cancelled and throw StoreError on a failure,
    // naming the table or the server at fault.
    bool toServer(PgConnection &server, const Progress &progress = {});
    bool fromServer(PgConnection &server, const Progress &progress = {});

    qint64 rowsCopied() const { return m_rows; }
    int tablesCopied() const { return m_tables; }

private:
    bool tick(const QString &table, qint64 rows);

    Store &m_store;
    Progress m_progress;
    qint64 m_rows = 0;
    qint64 m_total = 0;
    int m_tables = 0;
};

} // namespace corvane
