#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane remove-duplicates: leaves one message of each registration and
// flight pair.
class RemoveDuplicatesCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("remove-duplicates"); }
    QString summary() const override
    {
        return QStringLiteral("keep one message of each registration and flight");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
