#pragma once

#include "CliCommand.h"

#include <atomic>

namespace corvane
{

struct LogFormat;
class Settings;

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
    static int importFiles(CliContext &c, const LogFormat &format, const QStringList &files,
                           const Settings &settings, const std::atomic_bool &cancel);
};

} // namespace corvane
