#pragma once

#include <QString>
#include <functional>

namespace corvane
{

class Store;

// The heard registrations that the aircraft table does not know, listed
// under a short heading and followed by their count.
class UnmatchedReport
{
public:
    // Called with the position of the heard aircraft being checked (from 1)
    // and the number of heard aircraft.
    using Progress = std::function<void(qint64 row, qint64 count)>;

    explicit UnmatchedReport(Store &store) : m_store(store) {}

    // False, with errorText() set, when the file could not be written; an
    // older file is then left as it was.
    bool write(const QString &path, const Progress &progress = {});
    const QString &errorText() const { return m_error; }
    qint64 unmatched() const { return m_unmatched; }

    static QString closingLine(qint64 unmatched);

private:
    Store &m_store;
    QString m_error;
    qint64 m_unmatched = 0;
};

} // namespace corvane
