#include "ImportCommand.h"

#include "CliProgress.h"
#include "StopSignals.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "settings/Settings.h"
#include "store/Recorder.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <atomic>

namespace corvane
{

QString ImportCommand::usage() const
{
    return QStringLiteral("Usage: corvane import [--data-dir DIR] [--decoder NAME] FILE...\n\n"
                          "Reads each decoder log file into the store, as the window's Import\n"
                          "button does. NAME is one of: %1 (default: the setting \"Decoder\").\n"
                          "Prints \"FILE: N stored, N skipped, N rejected\" for each file.\n"
                          "A file imported before is named in a warning and read again.\n"
                          "Ctrl-C or SIGTERM stops after the current message and keeps what\n"
                          "was read (exit status 1).\n")
        .arg(LogFormats::names().join(QStringLiteral(", ")));
}

int ImportCommand::run(CliContext &c)
{
    const Settings settings;
    QString decoder = settings.decoder();
    QStringList files;
    for (qsizetype i = 0; i < c.args.size(); ++i) {
        const QString &a = c.args[i];
        if (a == QLatin1String("--decoder") && i + 1 < c.args.size())
            decoder = c.args[++i];
        else if (a.startsWith(QLatin1String("--decoder=")))
            decoder = a.mid(10);
        else if (a.startsWith(u'-')) {
            c.err << "corvane import: unknown option \"" << a << "\"\n" << usage();
            return ExitUsage;
        } else
            files << a;
    }
    const LogFormat *format = LogFormats::find(decoder);
    if (!format) {
        c.err << "corvane import: unknown decoder \"" << decoder
              << "\". Valid names: " << LogFormats::names().join(QStringLiteral(", ")) << '\n';
        return ExitUsage;
    }
    if (files.isEmpty()) {
        c.err << "corvane import: no log file given\n" << usage();
        return ExitUsage;
    }
    // The import runs on a thread of its own so that the stop signals reach
    // this one's event loop; the flag then stops the read.
    std::atomic_bool cancel{false};
    int status = ExitOk;
    QThread *worker =
        QThread::create([&] { status = importFiles(c, *format, files, settings, cancel); });
    QEventLoop loop;
    StopSignals stop(loop);
    QObject::connect(worker, &QThread::finished, &loop, [&loop] { loop.exit(ExitOk); });
    worker->start();
    loop.exec();
    cancel = true;
    worker->wait();
    delete worker;
    return status;
}

int ImportCommand::importFiles(CliContext &c, const LogFormat &format, const QStringList &files,
                               const Settings &settings, const std::atomic_bool &cancel)
{
    try {
        // The store is the data folder's files or a server's database.
        Store store;
        c.openStore(store);
        std::unique_ptr<Recorder> recorder = Recorder::of(store);
        recorder->setRecordUplinks(settings.uplinkMessages() == 1);
        for (const QString &path : LogImporter::importedBefore(*recorder, files))
            c.err << "corvane import: warning: " << QFileInfo(path).fileName()
                  << " was imported before; importing it again\n";
        LogImporter importer(c.dataDir, *recorder);
        importer.setShowNewPairs(settings.showNew());
        CliProgress progress(c.err);
        progress.setCancelFlag(&cancel);
        const auto results = importer.importFiles(format, files, &progress);
        progress.done();
        bool allRead = results.size() == size_t(files.size());
        for (const ImportResult &r : results) {
            c.out << r.name << ": " << r.stored << " stored, " << r.skipped << " skipped, "
                  << r.rejected << " rejected\n";
            if (r.notStored > 0)
                c.err << "corvane import: " << r.name << ": " << r.notStored
                      << " messages of the failed batch were not stored\n";
            allRead = allRead && r.read && !r.cancelled;
        }
        if (cancel)
            c.err << "corvane import: cancelled\n";
        return allRead ? ExitOk : ExitFailure;
    } catch (const StoreError &e) {
        c.err << "corvane import: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
