#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane compact: gives the space of deleted messages back to the disk.
class CompactCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("compact"); }
    QString summary() const override { return QStringLiteral("compact the message store"); }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
