#pragma once

#include "CliCommand.h"

#include <memory>
#include <vector>

namespace corvane
{

// The corvane command line: global options, then a subcommand.
class CommandLine
{
public:
    struct Parsed {
        QString command;  // empty: open the window
        QStringList rest; // the command's own arguments
        QString dataDir;  // --data-dir, wherever it stood
        bool dataDirGiven = false;
        QString storeUrl; // --store, wherever it stood
        bool storeUrlGiven = false;
        bool help = false; // --help before any command
        bool version = false;
        QString error;
    };

    CommandLine();
    ~CommandLine();

    static Parsed parse(const QStringList &arguments);
    // True when the arguments name a subcommand (no window is needed).
    static bool isHeadless(const QStringList &arguments);
    static QStringList commandNames();
    // True when the named command draws, though without a window.
    static bool needsPainting(const QStringList &arguments);

    int run(const Parsed &parsed, QTextStream &out, QTextStream &err);

private:
    CliCommand *find(const QString &name) const;
    void printHelp(QTextStream &out) const;

    std::vector<std::unique_ptr<CliCommand>> m_commands;
};

} // namespace corvane
