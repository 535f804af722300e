#include "AircraftListLoad.h"

#include "AircraftTable.h"
#include "NamedCommands.h"
#include "ReferenceFileLines.h"
#include "Store.h"
#include "StoreStatement.h"
#include "StoreTransaction.h"

#include <memory>

namespace corvane
{

QStringList AircraftListLoad::fields(const QString &line)
{
    QStringList f = line.split(u',');
    f.resize(4);
    return f;
}

AircraftListLoad::Result AircraftListLoad::load(const QString &path)
{
    ReferenceFileLines lines(path);
    const auto file = Schema::File::AcarsLog;
    // The first row of a registration, as a lookup by registration finds it.
    StoreStatement update(m_store, file,
                          "UPDATE AIRCRAFT SET REGISTRATI = ?1, CARRIER = ?2, TYPE = ?3, "
                          "CN = ?4 WHERE rowid = (SELECT rowid FROM AIRCRAFT "
                          "WHERE REGISTRATI = ?1 ORDER BY rowid LIMIT 1)");
    StoreStatement insert(m_store, file,
                          "INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN) "
                          "VALUES (?, ?, ?, ?)");
    Result result;
    auto tx = std::make_unique<StoreTransaction>(m_store, file);
    if (m_replace)
        AircraftTable(m_store).removeAll();
    QString line;
    while (lines.next(line)) {
        const qint64 number = lines.lineNumber();
        if (m_progress && number % kProgressLines == 1)
            m_progress(number);
        const QStringList f = fields(line);
        // A blank registration names no aircraft (blank lines included).
        if (f[0].trimmed().isEmpty())
            continue;
        for (int i = 0; i < 4; ++i) {
            update.bind(i + 1, f[i]);
            insert.bind(i + 1, f[i]);
        }
        update.run();
        if (update.changes() > 0) {
            ++result.updated;
            insert.reset();
        } else {
            insert.run();
            ++result.added;
        }
        ++result.lines;
        if (result.lines % kBatchLines == 0) {
            tx->commit();
            if (m_cancel && m_cancel->load()) {
                result.cancelled = true;
                return result;
            }
            tx = std::make_unique<StoreTransaction>(m_store, file);
        }
    }
    StoreStatement(m_store, file, NamedCommands::find(QStringLiteral("UpdateHeard"))->sql).run();
    tx->commit();
    return result;
}

} // namespace corvane
