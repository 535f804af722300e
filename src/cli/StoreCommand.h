#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane store copy --to URL | --from URL: a whole store between the data
// folder's SQLite files and a PostgreSQL server.
class StoreCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("store"); }
    QString summary() const override
    {
        return QStringLiteral("copy the whole store to or from a PostgreSQL server");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }
};

} // namespace corvane
