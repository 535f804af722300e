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
    // Throws StoreError naming the file when it is not one of ours, or is
    // cut short or damaged; nothing is read then.
    std::vector<MessageRecord> read() const;
    void remove() const;

private:
    QString m_path;
};

} // namespace corvane
