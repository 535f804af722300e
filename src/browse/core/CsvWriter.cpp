#include "CsvWriter.h"

#include <QIODevice>

namespace corvane
{

namespace
{

// Optional sign, digits, at most one decimal point: a number to any
// spreadsheet, never a formula.
bool isPlainNumber(const QString &value)
{
    qsizetype i = value.startsWith(u'-') || value.startsWith(u'+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c >= u'0' && c <= u'9')
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

QString CsvWriter::neutralised(const QString &value)
{
    if (value.isEmpty())
        return value;
    switch (value.front().unicode()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
        return u'\'' + value;
    case '+':
    case '-':
        return isPlainNumber(value) ? value : u'\'' + value;
    default:
        return value;
    }
}

QByteArray CsvWriter::field(const QString &value, Cells cells)
{
    QByteArray bytes = (cells == Cells::SpreadsheetSafe ? neutralised(value) : value).toUtf8();
    const bool quoted =
        bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r');
    if (!quoted)
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray CsvWriter::record(const QStringList &values, Cells cells)
{
    QByteArray line;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += ',';
        line += field(values.at(i), cells);
    }
    return line + "\r\n";
}

bool CsvWriter::write(const QStringList &values)
{
    const QByteArray line = record(values);
    return m_device.write(line) == line.size();
}

} // namespace corvane
