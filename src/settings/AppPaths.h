#pragma once

#include <QString>

namespace corvane
{

// Where the databases and work files live.
class AppPaths
{
public:
    // The option --data-dir wins over CORVANE_DATA_DIR, which wins over the
    // executable's folder when it is writable; the last resort is the
    // per-user data folder "ACARS Corvane".
    static QString resolve(const QString &dataDirOption);
};

} // namespace corvane
