#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane link serve|watch: serves an item from standard input, or prints
// the values of a linked item as they come.
class LinkCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("link"); }
    QString summary() const override { return QStringLiteral("serve or watch a live link"); }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }

private:
    int serve(CliContext &c, const QString &application, const QString &topic, const QString &item,
              const QString &tcp);
    int watch(CliContext &c, const QString &application, const QString &topic, const QString &item);
};

} // namespace corvane
