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
// registration, carrier, type and serial separated by commas. A field in
// double quotes may hold commas and doubled quotes; missing fields are
// empty and further ones are ignored. A first line whose first field is
// "registration" or "reg" (any case) is a header and skipped; blank lines
// are skipped. A line with an empty registration or a quote left open is
// refused with its line number and the load goes on. A registration already
// in the table has its first row overwritten (its heard flag kept); any
// other is added. Lines are written in transactions of kBatchLines, and
// every aircraft with messages is flagged heard at the end.
class AircraftListLoad
{
public:
    static constexpr int kBatchLines = 5000;

    // A line not loaded, and why.
    struct Refusal {
        qint64 line = 0; // 1-based
        QString reason;
        QString text() const { return QStringLiteral("line %1: %2").arg(line).arg(reason); }
    };

    // The refusals kept for the user; further ones are only counted.
    static constexpr int kRefusalsKept = 1000;

    struct Result {
        qint64 added = 0;
        qint64 updated = 0;
        qint64 refused = 0;
        qint64 lines = 0;
        bool cancelled = false;
        std::vector<Refusal> refusals; // the first kRefusalsKept
        QString summary() const
        {
            return QStringLiteral("%1 added, %2 updated, %3 refused")
                .arg(added)
                .arg(updated)
                .arg(refused);
        }
    };

    // One line of the file: its fields 1 to 4 (missing ones null), or why
    // it cannot be read.
    struct Line {
        QStringList fields;
        QString refusal;
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

    static Line parse(const QString &line);
    // Whether the file's first line is a header rather than an aircraft.
    static bool isHeader(const Line &line);

    static constexpr int kProgressLines = 500;

private:
    static void refuse(Result &result, qint64 line, const QString &reason);
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
