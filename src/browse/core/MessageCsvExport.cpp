#include "MessageCsvExport.h"

#include "CsvWriter.h"
#include "store/MessageViewCursor.h"

namespace corvane
{

namespace
{

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
    ViewFileWriter::Rows rows;
    rows.columns = allColumns();
    rows.header = CsvWriter::record(headerCaptions());
    rows.progressEvery = 1000;
    QStringList values;
    values.reserve(MessageView::ColumnCount);
    rows.text = [&values, cells = m_cells](const MessageViewCursor &row, QByteArray &out) {
        values.clear();
        for (int c = 0; c < MessageView::ColumnCount; ++c)
            values << row.field(c);
        out += CsvWriter::record(values, cells);
    };
    return m_writer.write(view, path, rows, progress);
}

} // namespace corvane
