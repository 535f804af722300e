#pragma once

#include "CliCommand.h"

#include <atomic>

namespace corvane
{

struct ImportResult;
struct LogFormat;
class Settings;
class Store;

// corvane import: reads decoder log files into the store.
class ImportCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("import"); }
    QString summary() const override { return QStringLiteral("import decoder log files"); }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }

private:
    static int importFiles(CliContext &c, Store &store, const LogFormat &format,
                           const QStringList &files, const Settings &settings,
                           const std::atomic_bool &cancel);
    // Where a file's reading stood when it stopped, and what the next import does.
    static void reportProgress(CliContext &c, const ImportResult &r);
};

} // namespace corvane
