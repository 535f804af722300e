#include "CsvWriter.h"

#include <QIODevice>

namespace corvane
{

QByteArray CsvWriter::field(const QString &value)
{
    QByteArray bytes = value.toUtf8();
    const bool quoted =
        bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r');
    if (!quoted)
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray CsvWriter::record(const QStringList &values)
{
    QByteArray line;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            line += ',';
        line += field(values.at(i));
    }
    return line + "\r\n";
}

bool CsvWriter::write(const QStringList &values)
{
    const QByteArray line = record(values);
    return m_device.write(line) == line.size();
}

} // namespace corvane
