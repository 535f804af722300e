#pragma once

#include <QString>

namespace corvane::test
{

// What a store must always be, whatever stopped the writer: an intact file
// whose two registers equal a recount from the messages.
class StoreConsistency
{
public:
    // Empty when the store in the folder is sound; otherwise what is wrong.
    static QString problems(const QString &dataDir);
    static qint64 messageCount(const QString &dataDir);
};

} // namespace corvane::test
