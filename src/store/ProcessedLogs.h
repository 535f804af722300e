#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace corvane
{

class PgConnection;
class Store;

// The list of log files imported so far (table LOGSPROCESSED). A log whose
// import stopped part-way is listed with how many of its records were read
// (column RecordsRead); one read to its end has none there.
class ProcessedLogs
{
public:
    static constexpr int kNameLength = 50;

    // What the list says of one log. A log read part-way once more is
    // listed part-way until it is read whole.
    struct Entry {
        bool listed = false;
        bool whole = false;
        qint64 recordsRead = 0; // part-way: the records read
    };

    explicit ProcessedLogs(Store &store) : m_store(&store) {}
    // On a server's connection, inside its transaction.
    explicit ProcessedLogs(PgConnection &db) : m_server(&db) {}

    // Lists a log as read whole, by the last kNameLength characters of its name.
    void add(const QString &name);
    bool contains(const QString &name);
    Entry entry(const QString &name);
    // Lists the log as read part-way, up to records, or read whole; either
    // replaces the part-way listing the log has.
    void setRead(const QString &name, qint64 records);
    void setWhole(const QString &name);

private:
    // Runs one statement on either engine; returns the rows it changed.
    qint64 run(const QByteArray &sql, const std::vector<QByteArray> &values);

    Store *m_store = nullptr;
    PgConnection *m_server = nullptr;
};

} // namespace corvane
