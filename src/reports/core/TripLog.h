#pragma once

#include <QString>
#include <functional>

namespace corvane
{

class DayRange;
class Store;

// The trip log for an outside logbook program: every registration heard in
// a range of days, once, one to a line.
class TripLog
{
public:
    // Called with the position of the line being written (from 1) and the
    // number of lines.
    using Progress = std::function<void(qint64 line, qint64 count)>;

    explicit TripLog(Store &store) : m_store(store) {}

    // False, with errorText() set, when the file could not be written; an
    // older file is then left as it was.
    bool write(const DayRange &days, const QString &path, const Progress &progress = {});
    const QString &errorText() const { return m_error; }
    qint64 registrationsWritten() const { return m_written; }

private:
    Store &m_store;
    QString m_error;
    qint64 m_written = 0;
};

} // namespace corvane
