#pragma once

#include "ReportDefinition.h"

#include <QByteArray>

namespace corvane
{

// Reads a report definition file: "Key: value" lines, a value running on
// over the indented lines below it, "#" lines as comments. Throws
// ReportError (FileMalformed) naming the file and line at fault.
class ReportDefinitionParser
{
public:
    static constexpr qint64 kMaxFileBytes = 256 * 1024;

    static ReportDefinition parse(const QByteArray &bytes, const QString &fileName);
    static ReportDefinition load(const QString &path);

    // The placeholders headers and footers may hold.
    static const QStringList &placeholders();
};

} // namespace corvane
