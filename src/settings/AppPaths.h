#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

// Where the databases and work files live, and where the files the program
// ships with (help page, report files) are found.
class AppPaths
{
public:
    // The option --data-dir wins over CORVANE_DATA_DIR, which wins over the
    // executable's folder when it is writable and not an installed program's
    // folder; the last resort is the per-user data folder "ACARS Corvane".
    static QString resolve(const QString &dataDirOption);

    // True when the executable sits in an installed tree (PREFIX/bin beside
    // PREFIX/share/corvane): its folder is then never a data folder, even
    // for a user who may write to it.
    static bool isInstalled();
    // The folders searched for a shipped file, in order: the application
    // folder, then the installed data folder(s).
    static QStringList shippedFolders();
    // The first readable file of that name in shippedFolders(); empty if none.
    static QString shippedFile(const QString &name);
};

} // namespace corvane
