#pragma once

#include <QByteArray>
#include <QString>

namespace corvane
{

// The lines of an aircraft list or a route file, one at a time. Line ends may
// be Windows or Unix ones, and a UTF-8 byte-order mark at the start is
// passed over. Files come from many hands: a line that reads as UTF-8 is
// taken as such, any other as Windows-1252.
class ReferenceFileLines
{
public:
    // Throws StoreError naming the file when it cannot be read.
    explicit ReferenceFileLines(const QString &path);

    // False at the end of the file.
    bool next(QString &line);
    // 1-based number of the line last returned.
    qint64 lineNumber() const { return m_lineNumber; }

    static QString decode(const QByteArray &bytes);

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
};

} // namespace corvane
