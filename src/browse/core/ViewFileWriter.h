#pragma once

#include "store/MessageView.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace corvane
{

class MessageViewCursor;
class Store;

// Writes a file of one view's messages, a text a row: the output file is
// checked against the store's own files, written through a save file (an
// older file stays as it was until the whole new one is written, so a
// cancelled or failed run changes nothing) and in blocks.
class ViewFileWriter
{
public:
    enum class Result { Written, Cancelled, Failed };

    // Called now and then with the position of the row being written
    // (counted from 1) and the row count; returning false cancels.
    using Progress = std::function<bool(qint64 row, qint64 count)>;
    // Appends the text of the cursor's current row.
    using RowText = std::function<void(const MessageViewCursor &row, QByteArray &out)>;

    struct Rows {
        std::vector<int> columns; // the view's columns the cursor reads
        QByteArray header;
        RowText text;
        int progressEvery = 500;
    };

    explicit ViewFileWriter(Store &store) : m_store(store) {}

    Result write(const MessageView &view, const QString &path, const Rows &rows,
                 const Progress &progress);
    const QString &errorText() const { return m_error; }
    qint64 rowsWritten() const { return m_rows; }

private:
    static constexpr qsizetype kBlockBytes = 1 << 16;

    Store &m_store;
    QString m_error;
    qint64 m_rows = 0;
};

} // namespace corvane
