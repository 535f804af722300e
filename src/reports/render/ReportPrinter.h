#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace corvane
{

class ReportRenderer;

// The printing component the Reports menu drives: indexed parameter fields,
// a report file, print, and the last error's number and text. The menu sets
// the fields, then the file, prints, and clears the fields again, so a
// report without parameters never sees an earlier one's.
class ReportPrinter
{
public:
    // With a server's URL the reports read the server's store.
    explicit ReportPrinter(const QString &storeFolder, const QString &serverUrl = {})
        : m_folder(storeFolder), m_serverUrl(serverUrl)
    {
    }

    void setParameterField(int index, const QString &field);
    const QStringList &parameterFields() const { return m_fields; }
    void clearParameterFields();

    void setReportFile(const QString &path) { m_file = path; }
    // The report queries' statement timeout in seconds (0: none).
    void setStatementTimeout(int seconds) { m_statementTimeout = seconds; }
    const QString &reportFile() const { return m_file; }

    // Reads the report file and the parameter fields and opens the report's
    // query: a renderer ready to lay the report out, or null with the last
    // error set.
    std::unique_ptr<ReportRenderer> print();
    // print() straight into a PDF file; the page count, 0 on failure.
    int printToPdf(const QString &outPath);

    int lastErrorNumber() const { return m_errorNumber; }
    const QString &lastErrorText() const { return m_errorText; }

private:
    QString m_folder;
    QString m_serverUrl;
    int m_statementTimeout = 0;
    QString m_file;
    QStringList m_fields;
    int m_errorNumber = 0;
    QString m_errorText;
};

} // namespace corvane
