#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane backup DIR: a consistent copy of the three database files.
class BackupCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("backup"); }
    QString summary() const override
    {
        return QStringLiteral(
            "copy the three database files into a folder, safely while recording");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
