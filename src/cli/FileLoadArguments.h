#pragma once

#include "CliCommand.h"

#include <QString>

namespace corvane
{

// The arguments of the commands that load one reference file: FILE and an
// optional --replace.
struct FileLoadArguments {
    QString file;
    bool replace = false;

    // Reads them from c.args; on a usage error says so on c.err, naming the
    // command and what file it wants, and returns false.
    bool parse(CliContext &c, const CliCommand &command, const char *fileKind);
};

} // namespace corvane
