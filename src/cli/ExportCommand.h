#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane export --csv: the messages of a view as comma-separated values,
// as File > Export CSV writes the grid's view.
class ExportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("export"); }
    QString summary() const override
    {
        return QStringLiteral("write all, one flight's, one aircraft's or some days' messages "
                              "as CSV");
    }
    QString usage() const override;
    bool worksOnServer() const override { return true; }
    int run(CliContext &context) override;
};

} // namespace corvane
