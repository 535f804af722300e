#pragma once

#include "MessageRecord.h"

#include <QString>
#include <vector>

namespace corvane
{

// The messages a station held for a server that was still out of reach
// when it stopped, kept in its data folder until the next start stores
// them: held messages are never lost to a stop.
class HeldMessagesFile
{
public:
    static QString fileName() { return QStringLiteral("held-messages.dat"); }

    explicit HeldMessagesFile(const QString &folder);
    QString path() const { return m_path; }
    bool exists() const;

    // Replaces the file whole, or leaves it as it was. Throws StoreError
    // naming the file.
    void write(const std::vector<MessageRecord> &records) const;
    // Throws StoreError naming the file when it is not a regular file (a
    // pipe there is never waited on), not one of ours, or cut short or
    // damaged; nothing is read then.
    std::vector<MessageRecord> read() const;
    void remove() const;
    // A held message as a user finds it again: its place in the file (from
    // 1), registration, flight and time as held, control characters shown
    // as \xNN.
    static QString describe(const MessageRecord &record, size_t index);

private:
    QString m_path;
};

} // namespace corvane
