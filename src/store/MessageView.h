#pragma once

#include "SchemaDeclarations.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

namespace corvane
{

class Store;

// One column of the message grid: its caption and the field it shows.
struct MessageColumn {
    const char *caption;
    const char *field;
};

// The current message view: which messages the grid, the record count and
// the text file see, and in what order. A filter keeps the time order; a
// sort by a column shows every message (sorting replaces the filter).
//
// A search term narrows any view to the messages holding that text (see
// MessageSearch); the hits are shown newest first until sorted otherwise.
//
// Values always reach SQLite as bound parameters. Rows with equal sort keys
// follow the time and then the insertion order, so paging is stable.
class MessageView
{
public:
    enum class Filter { All, Flight, Registration, DateRange };
    enum Column { Time, Mode, Reg, Block, MsgNo, Flight, Text, Label, FileName, ColumnCount };

    static const std::array<MessageColumn, ColumnCount> &columns();
    // "rowid" followed by the grid's fields in column order.
    static QString selectList();

    static MessageView all() { return MessageView(); }
    static MessageView byFlight(const QString &flight);
    static MessageView byRegistration(const QString &reg);
    // The days from first to last, both included (see DayRange).
    static MessageView byDate(const QDate &from, const QDate &to);
    // Descending is the exact reverse of the ascending order.
    static MessageView sortedBy(int column, bool descending = false);

    // The same filter, narrowed to the messages holding the text, newest
    // first; an empty text takes the search away and restores the time order.
    MessageView withSearch(const QString &text) const;
    // The same filter and search in another order.
    MessageView withOrder(int column, bool descending) const;

    Filter filter() const { return m_filter; }
    const QString &search() const { return m_search; }
    const QString &value() const { return m_value; }
    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    int sortColumn() const { return m_sortColumn; }
    bool descending() const { return m_descending; }

    // True when an index delivers the rows in order (time, registration,
    // flight), so any window of rows can be read directly.
    bool hasIndexedOrder() const;

    // " WHERE ..." (or empty) with its parameters in order. The search is
    // written for the engine; the rest of the SQL is the same on both.
    QString whereClause(SqlDialect dialect = SqlDialect::Sqlite) const;
    QStringList parameters(SqlDialect dialect = SqlDialect::Sqlite) const;
    // " ORDER BY ..." in the view's direction, or the exact reverse. A
    // server sorts texts no index orders byte by byte, as the files do,
    // whatever its database's locale.
    QString orderClause(bool reverse = false, SqlDialect dialect = SqlDialect::Sqlite) const;
    // The whole view: every grid field, in the view's order.
    QString selectSql() const;
    // The filter alone (no search): "mReg = ?" and the like, or empty.
    QString filterCondition() const;
    QStringList filterParameters() const;

    qint64 count(Store &store) const;

    bool operator==(const MessageView &other) const;

private:
    Filter m_filter = Filter::All;
    QString m_value;
    QDate m_from;
    QDate m_to;
    QString m_search;
    int m_sortColumn = Time;
    bool m_descending = false;
};

} // namespace corvane
