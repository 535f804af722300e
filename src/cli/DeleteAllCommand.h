#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane delete-all: deletes every recorded message and the registers.
class DeleteAllCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("delete-all"); }
    QString summary() const override { return QStringLiteral("delete every recorded message"); }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
