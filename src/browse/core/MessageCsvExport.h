#pragma once

#include "CsvWriter.h"
#include "ViewFileWriter.h"
#include "store/MessageView.h"

#include <QString>

namespace corvane
{

class Store;

// The message grid's view as comma-separated values: a header row of the
// grid's column captions, then one row per message in the view's order with
// every grid field as stored, spreadsheet-safe unless raw (see CsvWriter).
class MessageCsvExport
{
public:
    using Result = ViewFileWriter::Result;
    using Progress = ViewFileWriter::Progress;

    explicit MessageCsvExport(Store &store) : m_writer(store) {}

    // The exact texts, for programs that read the file themselves.
    void setRaw(bool raw)
    {
        m_cells = raw ? CsvWriter::Cells::Exact : CsvWriter::Cells::SpreadsheetSafe;
    }

    // The file is replaced only when the writing succeeds; a cancelled or
    // failed run leaves any older file as it was.
    Result write(const MessageView &view, const QString &path, const Progress &progress = {});
    const QString &errorText() const { return m_writer.errorText(); }
    qint64 rowsWritten() const { return m_writer.rowsWritten(); }

    static QStringList headerCaptions();

private:
    ViewFileWriter m_writer;
    CsvWriter::Cells m_cells = CsvWriter::Cells::SpreadsheetSafe;
};

} // namespace corvane
