#pragma once

#include "CliCommand.h"

namespace corvane
{

// corvane live: records what a running decoder sends, as the window's live
// link does, until interrupted.
class LiveCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("live"); }
    QString summary() const override
    {
        return QStringLiteral("record live from a running decoder");
    }
    QString usage() const override;
    int run(CliContext &context) override;
    bool worksOnServer() const override { return true; }

    // Seconds between attempts to link again after the decoder went away.
    static constexpr int kRelinkMs = 3000;
    // How often what a server could not take is tried again without new traffic.
    static constexpr int kRetryHeldMs = 5000;
};

} // namespace corvane
