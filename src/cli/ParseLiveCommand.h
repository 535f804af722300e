#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane parse-live: one live pass over the text of a file, as if it had
// just arrived on the link.
class ParseLiveCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("parse-live"); }
    QString summary() const override
    {
        return QStringLiteral("replay live decoder text from a file");
    }
    QString usage() const override;
    int run(CliContext &context) override;
};

} // namespace corvane
