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
//
// Texts from the air may be written to be run by a spreadsheet: a cell that
// begins with "=", "+", "-", "@", a tab or a carriage return is taken for a
// formula. SpreadsheetSafe cells put an apostrophe before such a text, as
// spreadsheet-safe exports do, so that it shows as the text it is; a plain
// number ("-12", "+3.5") is no formula and stays as it is.
class CsvWriter
{
public:
    enum class Cells { Exact, SpreadsheetSafe };

    explicit CsvWriter(QIODevice &device) : m_device(device) {}

    static QByteArray field(const QString &value, Cells cells = Cells::Exact);
    static QByteArray record(const QStringList &values, Cells cells = Cells::Exact);
    // The text as a spreadsheet-safe cell holds it.
    static QString neutralised(const QString &value);

    // False when the device refused the bytes.
    bool write(const QStringList &values);

private:
    QIODevice &m_device;
};

} // namespace corvane
