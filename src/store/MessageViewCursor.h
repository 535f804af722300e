#pragma once

#include "MessageView.h"

#include <QString>
#include <memory>
#include <vector>

namespace corvane
{

class Store;
class StoreStatement;

// Walks a whole message view once, in its order, reading only the chosen
// columns: for writers that stream every message of a view to a file.
class MessageViewCursor
{
public:
    MessageViewCursor(Store &store, const MessageView &view, std::vector<int> columns);
    ~MessageViewCursor();
    MessageViewCursor(const MessageViewCursor &) = delete;
    MessageViewCursor &operator=(const MessageViewCursor &) = delete;

    // Moves to the next message; false after the last.
    bool next();
    // The value of the i-th chosen column of the current message.
    QString field(int i) const;

private:
    std::unique_ptr<StoreStatement> m_rows;
    bool m_done = false;
};

} // namespace corvane
