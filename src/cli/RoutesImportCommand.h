#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane routes-import: loads a Brellwick route file into the route table.
class RoutesImportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("routes-import"); }
    QString summary() const override { return QStringLiteral("load a Brellwick route file"); }
    QString usage() const override;
    bool worksOnServer() const override { return true; }
    int run(CliContext &context) override;
};

} // namespace corvane
