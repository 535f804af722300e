#pragma once

#include "CliCommand.h"

#include <memory>

namespace corvane
{

// corvane report NAME: the text reports (trip-log, unmatched) with their own
// arguments; any other NAME is a report file (NAME.rpt, found as the window
// finds it) printed into a PDF file, with the parameters the window's
// selection windows would give.
class ReportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("report"); }
    QString summary() const override
    {
        return QStringLiteral(
            "print a report file into a PDF, or write the trip log or unmatched data report");
    }
    QString usage() const override;
    bool paints() const override { return true; }
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }

    // The text report of that name; empty when there is none.
    static std::unique_ptr<CliCommand> find(const QString &name);

private:
    // The printed reports: every NAME that is a report file.
    int runPrinted(const QString &reportName, CliContext &c);
};

} // namespace corvane
