#pragma once

#include <QString>

namespace corvane
{

// The data folders whose files this process has open as a store. A lock on
// a file belongs to the process, and closing any descriptor on that file
// drops all of them: another program closing the store would then take ours
// for gone and remove the write-ahead log under our connections. So a file
// the user names for reading (a log, an aircraft list, a report) is refused
// when it is one of these.
class OpenStoreFiles
{
public:
    // Counted: each opening of a folder is matched by one closing.
    static void opened(const QString &folder);
    static void closed(const QString &folder);
    // Empty when the file may be read; otherwise why not, naming it.
    static QString readRefusal(const QString &path);
};

} // namespace corvane
