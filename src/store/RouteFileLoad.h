#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <vector>

namespace corvane
{

class Store;

// Loads a Brellwick route file into ROUTES. A line starting with "!" is a
// comment and a line shorter than 8 characters is skipped; any other is a
// flight number, "=" within the first 20 characters, and the route (the rest
// of the line, further "=" included). Without replacing, a flight that
// already has a route keeps it. A line without its "=" stops the load; the
// routes before it stay.
class RouteFileLoad
{
public:
    static constexpr int kBatchLines = 5000;
    static constexpr int kProgressLines = 500;
    static constexpr int kMinimumLength = 8;
    static constexpr int kFlightWidth = 20; // the "=" stands within these

    struct Result {
        qint64 added = 0;
        qint64 kept = 0;          // flights that already had a route
        qint64 malformedLine = 0; // 1-based line number; 0 when every line read
        bool cancelled = false;
        qint64 handled() const { return added + kept; }
    };

    // What one line of the file is.
    struct Line {
        enum Kind { Comment, Short, Route, Malformed } kind = Malformed;
        QString flight;
        QString route;
    };

    explicit RouteFileLoad(Store &store) : m_store(store) {}

    // Empties the table first, in the same transaction as the first routes.
    void setReplace(bool replace) { m_replace = replace; }
    // Called with the number of route lines handled so far.
    void setProgress(std::function<void(qint64)> progress) { m_progress = std::move(progress); }
    void setCancelFlag(const std::atomic_bool *flag) { m_cancel = flag; }

    // Throws StoreError when the file cannot be read or the store fails.
    Result load(const QString &path);

    static Line parse(const QString &line);
    // The message for a malformed line.
    static QString malformedText(qint64 line);

private:
    // Writes the lines and empties the batch.
    void write(std::vector<Line> &batch, Result &result);
    void writeLineByLine(const std::vector<Line> &batch, Result &result);
    void writeOnServer(const std::vector<Line> &batch, Result &result);

    Store &m_store;
    bool m_replace = false;
    std::function<void(qint64)> m_progress;
    const std::atomic_bool *m_cancel = nullptr;
};

} // namespace corvane
