#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane info: the application folder, the database files and the counts.
class InfoCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("info"); }
    QString summary() const override { return QStringLiteral("show the store's files and counts"); }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
