#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane alerts: the watched words of alerts.txt and the alert log, the
// same file and table as the alert windows.
class AlertsCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("alerts"); }
    QString summary() const override
    {
        return QStringLiteral("list, add or remove watched words; show or clear the alert log");
    }
    QString usage() const override;
    bool worksOnServer() const override { return true; }
    int run(CliContext &context) override;

private:
    int list(CliContext &c);
    int add(CliContext &c, const QString &word);
    int remove(CliContext &c, const QString &word);
    int log(CliContext &c);
    int clear(CliContext &c);
    int usageError(CliContext &c, const QString &why);
};

} // namespace corvane
