#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane report unmatched: the heard registrations missing from the
// aircraft table, as the window's "Prepare Unmatched Data Report" writes them.
class UnmatchedReportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("unmatched"); }
    QString summary() const override
    {
        return QStringLiteral("the heard registrations the aircraft table lacks");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
