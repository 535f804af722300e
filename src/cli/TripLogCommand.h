#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane report trip-log: the registrations heard in some days, as the
// window's "Prepare Trip Log" writes them.
class TripLogCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("trip-log"); }
    QString summary() const override
    {
        return QStringLiteral("the registrations heard in some days, one a line");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
