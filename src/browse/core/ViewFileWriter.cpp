#include "ViewFileWriter.h"

#include "store/MessageViewCursor.h"
#include "store/OutputPathGuard.h"
#include "store/StoreError.h"

#include <QSaveFile>

namespace corvane
{

ViewFileWriter::Result ViewFileWriter::write(const MessageView &view, const QString &path,
                                             const Rows &rows, const Progress &progress)
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
        MessageViewCursor cursor(m_store, view, rows.columns);
        QByteArray block = rows.header;
        while (cursor.next()) {
            ++m_rows;
            if (progress && (m_rows == 1 || m_rows % rows.progressEvery == 0) &&
                !progress(m_rows, count)) {
                file.cancelWriting();
                return Result::Cancelled;
            }
            rows.text(cursor, block);
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
