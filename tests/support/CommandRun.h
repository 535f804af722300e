#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace corvane::test
{

// Runs `corvane --data-dir DIR ARGS...` in this process, keeping what it
// printed. For tests that link the command line.
struct CommandRun {
    QString dataDir;
    QString out, err;

    int operator()(const QStringList &args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        CommandLine line;
        const int status = line.run(
            CommandLine::parse(QStringList{"corvane", "--data-dir", dataDir} + args), o, e);
        o.flush();
        e.flush();
        return status;
    }
};

} // namespace corvane::test
