#include "BackupCommand.h"

#include "store/Store.h"
#include "store/StoreBackup.h"
#include "store/StoreError.h"

#include <QDir>

namespace corvane
{

QString BackupCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane backup DIR [--data-dir DIR]\n\n"
        "Copies acarslog.db, routes.db and Alerts.db into DIR (made when missing) as\n"
        "they stand at the moment each is read, while imports or a live link may go\n"
        "on writing. Files of an earlier backup in DIR are replaced only once the\n"
        "new copies are whole. DIR may not be the data folder. To restore, stop\n"
        "ACARS Corvane and copy the three files back into the data folder.\n");
}

int BackupCommand::run(CliContext &c)
{
    if (c.args.size() != 1 || c.args.first().startsWith(u'-')) {
        c.err << "corvane backup: give one backup folder\n" << usage();
        return ExitUsage;
    }
    const QString folder = QDir(c.args.first()).absolutePath();
    try {
        Store store;
        c.openStoreForReading(store);
        StoreBackup backup(store);
        int shown = -1;
        const bool ok = backup.copyTo(folder, [&](const QString &file, int done, int total) {
            const int percent = total > 0 ? int(qint64(done) * 100 / total) : 100;
            if (percent / 10 != shown / 10 || done == total) {
                c.err << "\rbacking up " << file << ": " << percent << "%  ";
                c.err.flush();
                shown = percent;
            }
            return true;
        });
        c.err << '\n';
        if (!ok) {
            c.err << "corvane backup: " << backup.errorText() << '\n';
            return ExitFailure;
        }
        for (const QString &path : backup.written())
            c.out << "backed up " << QDir::toNativeSeparators(path) << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane backup: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
