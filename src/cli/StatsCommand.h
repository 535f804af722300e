#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane stats: the figures of the statistics tab, or one chart's counts as CSV.
class StatsCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("stats"); }
    QString summary() const override
    {
        return QStringLiteral("show the store's figures or its traffic counts");
    }
    QString usage() const override;
    bool worksOnServer() const override { return true; }
    int run(CliContext &context) override;
};

} // namespace corvane
