#pragma once

#include "store/MessageRecord.h"

#include <QString>

namespace corvane
{

// The outcome of reading one log file or one live value.
struct ImportResult {
    QString name;             // as recorded in the messages
    qint64 stored = 0;        // committed
    qint64 notStored = 0;     // counted as stored, then lost with a failed batch
    qint64 skipped = 0;       // uplinks not recorded
    qint64 rejected = 0;      // records found but dropped by a test
    bool read = true;         // false: not opened, refused, or stopped by a store failure
    bool storeFailed = false; // writing failed: the run stops
    bool cancelled = false;   // the user stopped the read; what was read is stored
    bool readToEnd = false;   // the text ran out (not stopped by a cancel or a failure)
    QString error;            // why, naming the file
    // Where the reading of a log file stood: records read (those of an
    // earlier, stopped import included), the records an earlier import
    // read and this one passed over, the records whose messages are all in
    // the store, and the characters read of the file's.
    qint64 records = 0;
    qint64 resumedAfter = 0;
    qint64 recordsStored = 0;
    qint64 position = 0;
    qint64 size = 0;

    void count(StoreResult outcome);
    // Moves messages a rollback took back from stored to notStored.
    void takeBack(qint64 messages);
};

} // namespace corvane
