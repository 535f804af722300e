#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane import: reads decoder log files into the store.
class ImportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("import"); }
    QString summary() const override { return QStringLiteral("import decoder log files"); }
    QString usage() const override;
    int run(CliContext &context) override;
};

} // namespace corvane
