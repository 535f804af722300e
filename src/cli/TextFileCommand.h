#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane text-file: the text file of a message view, as the window's
// "Create text file" button writes it.
class TextFileCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("text-file"); }
    QString summary() const override
    {
        return QStringLiteral("write the text file of all, one flight's, one aircraft's or some "
                              "days' messages");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
