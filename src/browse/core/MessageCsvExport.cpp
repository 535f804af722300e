#include "MessageCsvExport.h"

#include "CsvWriter.h"
#include "store/MessageViewCursor.h"
#include "store/OutputPathGuard.h"
#include "store/StoreError.h"

#include <QSaveFile>

namespace corvane
{

namespace
{

// Rows are gathered into blocks of about this size before they reach the file.
constexpr qsizetype kBlockBytes = 256 * 1024;
constexpr qint64 kProgressEvery = 1000;

std::vector<int> allColumns()
{
    std::vector<int> columns;
    for (int c = 0; c < MessageView::ColumnCount; ++c)
        columns.push_back(c);
    return columns;
}

} // namespace

QStringList MessageCsvExport::headerCaptions()
{
    QStringList captions;
    for (const MessageColumn &column : MessageView::columns())
        captions << QString::fromLatin1(column.caption);
    return captions;
}

MessageCsvExport::Result MessageCsvExport::write(const MessageView &view, const QString &path,
                                                 const Progress &progress)
{
    m_rows = 0;
    m_error = OutputPathGuard(m_store).refusal(path);
    if (!m_error.isEmpty())
        return Result::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return Result::Failed;
    }
    try {
        const qint64 count = progress ? view.count(m_store) : 0;
        MessageViewCursor rows(m_store, view, allColumns());
        QByteArray block = CsvWriter::record(headerCaptions());
        QStringList values;
        values.reserve(MessageView::ColumnCount);
        while (rows.next()) {
            ++m_rows;
            if (progress && (m_rows == 1 || m_rows % kProgressEvery == 0) &&
                !progress(m_rows, count)) {
                file.cancelWriting();
                return Result::Cancelled;
            }
            values.clear();
            for (int c = 0; c < MessageView::ColumnCount; ++c)
                values << rows.field(c);
            block += CsvWriter::record(values);
            if (block.size() > kBlockBytes) {
                file.write(block);
                block.clear();
            }
        }
        file.write(block);
        if (progress && m_rows > 0)
            progress(m_rows, count);
    } catch (const StoreError &e) {
        file.cancelWriting();
        m_error = e.message();
        return Result::Failed;
    }
    // A failed write of any block shows here: the file is then left as it was.
    if (!file.commit()) {
        m_error = file.errorString();
        return Result::Failed;
    }
    return Result::Written;
}

} // namespace corvane
