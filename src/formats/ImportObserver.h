#pragma once

#include <QString>

namespace corvane
{

// What a log import or a live pass reports, and the hooks through which the
// window (or the command line) follows it. Every call has a default that
// does nothing, so a caller fills only what it shows.
class ImportObserver
{
public:
    virtual ~ImportObserver() = default;
    // Once per record read, before it is stored: the place to let the window
    // process events. stored counts the messages stored so far from this
    // file or pass; position and size are in characters of the source.
    virtual void record(const QString &name, qint64 stored, qint64 position, qint64 size)
    {
        Q_UNUSED(name);
        Q_UNUSED(stored);
        Q_UNUSED(position);
        Q_UNUSED(size);
    }
    // Status text for panel 1 ("Updating database...", "" to clear).
    virtual void status(const QString &text) { Q_UNUSED(text); }
    // A message the user must see (a refused file, a file that cannot be read).
    virtual void message(const QString &text) { Q_UNUSED(text); }
    // The file or pass is read; the window rebinds its grids here.
    virtual void finishLog() {}
    // A log file ended; with the setting ShowNew the window opens the new-pairs file.
    virtual void showNewPairs(const QString &path) { Q_UNUSED(path); }
    // Asked before each record: true stops the read after the record in hand;
    // what was stored is kept.
    virtual bool cancelled() const { return false; }
};

} // namespace corvane
