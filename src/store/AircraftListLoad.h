#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

namespace corvane
{

class Store;

// Loads an aircraft list into AIRCRAFT: one aircraft a line, fields
// registration, carrier, type and serial separated by commas, no header and
// no quoting. A registration already in the table has its first row
// overwritten (its heard flag kept); any other is added. Lines are written in
// transactions of kBatchLines, and every aircraft with messages is flagged
// heard at the end.
class AircraftListLoad
{
public:
    static constexpr int kBatchLines = 5000;

    struct Result {
        qint64 added = 0;
        qint64 updated = 0;
        qint64 lines = 0;
        bool cancelled = false;
    };

    explicit AircraftListLoad(Store &store) : m_store(store) {}

    // Empties the table in the load's first transaction, so a file that
    // cannot be read leaves the table as it was.
    void setReplace(bool replace) { m_replace = replace; }
    // Called with the number of the line about to be written, at most every
    // kProgressLines lines.
    void setProgress(std::function<void(qint64)> progress) { m_progress = std::move(progress); }
    // Once set, the load stops at the next batch; what was written stays.
    void setCancelFlag(const std::atomic_bool *flag) { m_cancel = flag; }

    // Throws StoreError when the file cannot be read or the store refuses a
    // row; batches written before stay.
    Result load(const QString &path);

    // Fields 1 to 4 of a line; missing ones are empty, further ones dropped.
    static QStringList fields(const QString &line);

    static constexpr int kProgressLines = 500;

private:
    // Writes the lines and empties the batch.
    void write(std::vector<QStringList> &batch, Result &result);
    void writeLineByLine(const std::vector<QStringList> &batch, Result &result);
    void writeOnServer(const std::vector<QStringList> &batch, Result &result);

    Store &m_store;
    bool m_replace = false;
    std::function<void(qint64)> m_progress;
    const std::atomic_bool *m_cancel = nullptr;
};

} // namespace corvane
