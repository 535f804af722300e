#pragma once

#include "store/MessageView.h"

#include <QString>
#include <functional>

namespace corvane
{

class Store;

// The message grid's view as comma-separated values: a header row of the
// grid's column captions, then one row per message in the view's order with
// every grid field as stored.
class MessageCsvExport
{
public:
    enum class Result { Written, Cancelled, Failed };

    // Called now and then with the position of the row being written
    // (counted from 1) and the row count; returning false cancels.
    using Progress = std::function<bool(qint64 row, qint64 count)>;

    explicit MessageCsvExport(Store &store) : m_store(store) {}

    // The file is replaced only when the writing succeeds; a cancelled or
    // failed run leaves any older file as it was.
    Result write(const MessageView &view, const QString &path, const Progress &progress = {});
    const QString &errorText() const { return m_error; }
    qint64 rowsWritten() const { return m_rows; }

    static QStringList headerCaptions();

private:
    Store &m_store;
    QString m_error;
    qint64 m_rows = 0;
};

} // namespace corvane
