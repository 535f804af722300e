#include "ReportPrinter.h"

#include "ReportPdf.h"
#include "ReportRenderer.h"
#include "reports/core/ReportDefinitionParser.h"
#include "reports/core/ReportError.h"
#include "reports/core/ReportParameters.h"

#include <QDateTime>

namespace corvane
{

void ReportPrinter::setParameterField(int index, const QString &field)
{
    if (index < 0)
        return;
    while (m_fields.size() <= index)
        m_fields << QString();
    m_fields[index] = field;
}

void ReportPrinter::clearParameterFields()
{
    for (QString &field : m_fields)
        field.clear();
}

std::unique_ptr<ReportRenderer> ReportPrinter::print()
{
    m_errorNumber = 0;
    m_errorText.clear();
    try {
        ReportDefinition def = ReportDefinitionParser::load(m_file);
        ReportParameters params = ReportParameters::fromFields(m_fields);
        const QString printed =
            QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm"));
        return std::make_unique<ReportRenderer>(std::move(def), std::move(params), m_folder,
                                                printed, m_serverUrl, m_statementTimeout);
    } catch (const ReportError &e) {
        m_errorNumber = e.number();
        m_errorText = e.text();
    }
    return nullptr;
}

int ReportPrinter::printToPdf(const QString &outPath)
{
    auto renderer = print();
    if (!renderer)
        return 0;
    try {
        return ReportPdf::write(*renderer, outPath);
    } catch (const ReportError &e) {
        m_errorNumber = e.number();
        m_errorText = e.text();
    }
    return 0;
}

} // namespace corvane
