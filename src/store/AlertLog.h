#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace corvane
{

class Store;

// One row of the alert log: a watched word found in a live text.
struct AlertRow {
    QString dateTime; // local time, "YYYY-MM-DD HH:MM:SS"
    QString alert;    // the word as listed
    QString message;  // the whole text it was found in
    // The first line of the message that holds more than blanks (live texts
    // often start with a line break): what a one-line listing shows.
    QString firstLine() const;
    friend bool operator==(const AlertRow &, const AlertRow &) = default;
};

// The alert log (table ALERTS of Alerts.db).
class AlertLog
{
public:
    explicit AlertLog(Store &store) : m_store(store) {}

    // The rows of one batch, in one transaction: all or none.
    void add(const QList<AlertRow> &rows);
    // Every row, in the order added (the alert window's list).
    QList<AlertRow> all();
    // The rows of day and later (every row for a null day), oldest first.
    QList<AlertRow> since(const QDate &day);
    qint64 count();
    void clear();

private:
    QList<AlertRow> read(const char *sql, const QString &from);

    Store &m_store;
};

} // namespace corvane
