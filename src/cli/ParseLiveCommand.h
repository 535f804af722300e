#pragma once

#include "CliCommand.h"

#include "formats/LiveTypes.h"

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
    bool worksOnServer() const override { return true; }

private:
    // A polled-file link: one poll of the log file from its start.
    int runPolled(CliContext &context, const LiveType &type, const QString &path,
                  bool recordUplinks);
};

} // namespace corvane
