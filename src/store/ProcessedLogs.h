#pragma once

#include <QString>

namespace corvane
{

class Store;

// The list of log files imported so far (table LOGSPROCESSED).
class ProcessedLogs
{
public:
    static constexpr int kNameLength = 50;

    explicit ProcessedLogs(Store &store) : m_store(store) {}

    // Records a file by the last kNameLength characters of its name.
    void add(const QString &name);
    bool contains(const QString &name);

private:
    Store &m_store;
};

} // namespace corvane
