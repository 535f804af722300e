#pragma once

#include "Schema.h"

#include <QDate>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace corvane
{

class Store;

// The result of a named command: column names and rows.
struct QueryRows {
    QStringList columns;
    std::vector<QVariantList> rows;

    qsizetype recordCount() const { return qsizetype(rows.size()); }
    QVariant value(qsizetype row, const QString &column) const;
};

// The named commands of the data environment, each translated once from the
// original Jet dialect into SQLite next to its name.
class NamedCommands
{
public:
    struct Command {
        const char *name;
        Schema::File file;
        bool writable;
        bool action;
        int parameters;
        const char *sql;
    };

    explicit NamedCommands(Store &store) : m_store(store) {}

    static const Command *find(const QString &name); // without regard to case
    static QStringList names();

    // Runs a command with its positional text parameters; action commands
    // return no rows. "Today" and "TodayAll" count the given day
    // (see DayRange).
    QueryRows run(const QString &name, const QStringList &parameters = {},
                  const QDate &today = QDate::currentDate());
    qint64 count(const QString &name, const QDate &today = QDate::currentDate());

private:
    Store &m_store;
};

} // namespace corvane
