// Report definition files and the parameter fields handed to a report.
#include "FuzzReading.h"

#include "reports/core/ReportDefinitionParser.h"
#include "reports/core/ReportError.h"
#include "reports/core/ReportParameterField.h"
#include "reports/core/ReportParameters.h"

#include <cstdio>
#include <cstdlib>

using namespace corvane;

namespace
{
[[noreturn]] void stop(const char *why)
{
    std::fprintf(stderr, "%s\n", why);
    std::abort();
}

void checkDefinition(const QByteArray &bytes)
{
    try {
        const ReportDefinition def = ReportDefinitionParser::parse(bytes, QStringLiteral("f.rpt"));
        // What the renderer relies on from a definition that reads.
        if (def.title.isEmpty() || def.query.isEmpty() || def.columns.empty())
            stop("a definition without title, query or columns was accepted");
        for (const ReportColumn &c : def.columns)
            if (c.field.isEmpty() || !(c.widthMm >= 1 && c.widthMm <= 1000))
                stop("a column without field or with a width out of range was accepted");
        if (!(def.fontSize >= 5 && def.fontSize <= 24))
            stop("a font size out of range was accepted");
    } catch (const ReportError &e) {
        if (!e.text().startsWith(QLatin1String("f.rpt")))
            stop("an error does not name the file");
    }
}

void checkField(const QString &text)
{
    const auto field = ReportParameterField::parse(text);
    if (!field)
        return;
    // A field that reads is written back the same way.
    const QString again = field->date() ? ReportParameterField::forDate(field->name(), *field->date())
                                        : ReportParameterField::forText(field->name(), field->value());
    const auto reread = ReportParameterField::parse(again);
    if (!reread || reread->name() != field->name() || reread->date() != field->date() ||
        (!field->date() && reread->value() != field->value()))
        stop("a parameter field does not read back");
    try {
        (void)ReportParameters::fromFields({text}).selection();
    } catch (const ReportError &) {
        stop("a field that reads was refused");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    checkDefinition(bytes);
    checkField(QString::fromUtf8(bytes.left(256)));
    return 0;
}
