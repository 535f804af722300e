#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane search: the messages holding a piece of text, newest first.
class SearchCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("search"); }
    QString summary() const override
    {
        return QStringLiteral("find the messages that hold a piece of text");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
