#pragma once

#include "store/Schema.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace corvane
{

class Store;

// Exit statuses of every command.
enum ExitStatus { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// What every command gets: its own arguments (global options removed), the
// application folder, and the two output streams.
struct CliContext {
    QStringList args;
    QString dataDir;
    QTextStream &out;
    QTextStream &err;
    // The server holding the store (--store, else the setting [Store] Url);
    // empty: the files of the data folder.
    QString storeUrl = {};

    // Opens the store the command works on: the server, or the files of the
    // data folder (read-only where they cannot be written, for reading).
    void openStore(Store &store) const;
    void openStoreForReading(Store &store) const;
    // Says on stderr why the store is read in a lesser way, if it is.
    void warnOf(const Store &store) const;

    // Reports a long upgrade of an older store, as the store is opened, on stderr.
    SchemaProgress storeProgress() const
    {
        QTextStream *to = &err;
        return [to](const QString &text) {
            *to << text << '\n';
            to->flush();
        };
    }
};

// One subcommand of the corvane command line.
class CliCommand
{
public:
    virtual ~CliCommand() = default;
    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    virtual QString usage() const = 0;
    // Whether the command draws (fonts, pages) and so needs a GUI application object.
    virtual bool paints() const { return false; }
    // Whether the command works on a store on a server; those that do not
    // are refused there, saying so.
    virtual bool worksOnServer() const { return false; }
    virtual int run(CliContext &context) = 0;
};

} // namespace corvane
