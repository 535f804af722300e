#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane aircraft-import: loads an aircraft list into the aircraft table.
class AircraftImportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("aircraft-import"); }
    QString summary() const override { return QStringLiteral("load an aircraft list (CSV)"); }
    QString usage() const override;
    bool worksOnServer() const override { return true; }
    int run(CliContext &context) override;
};

} // namespace corvane
