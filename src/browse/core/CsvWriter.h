#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace corvane
{

// Comma-separated values as spreadsheets read them: UTF-8, CR LF between
// records, a field quoted when it holds a comma, a quote or a line break,
// quotes inside doubled. Line breaks inside a field are kept as they are.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice &device) : m_device(device) {}

    static QByteArray field(const QString &value);
    static QByteArray record(const QStringList &values);

    // False when the device refused the bytes.
    bool write(const QStringList &values);

private:
    QIODevice &m_device;
};

} // namespace corvane
