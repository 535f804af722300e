#include "ImportCommand.h"

#include "CliProgress.h"
#include "StopSignals.h"
#include "formats/ImportResult.h"
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
                          "was read (exit status 1). A file whose import stopped part-way (a\n"
                          "stop, a store that failed) is listed with the records read, and the\n"
                          "next import of it goes on after them, storing nothing twice.\n")
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
    // this one's event loop; the flag then stops the read, and a server
    // that does not answer gets a few seconds more at most.
    std::atomic_bool cancel{false};
    int status = ExitOk;
    Store store;
    QThread *worker =
        QThread::create([&] { status = importFiles(c, store, *format, files, settings, cancel); });
    QEventLoop loop;
    StopSignals stop(loop);
    QObject::connect(worker, &QThread::finished, &loop, [&loop] { loop.exit(ExitOk); });
    worker->start();
    loop.exec();
    cancel = true;
    if (!worker->isFinished())
        store.abandonServerWaitsAfter(StopSignals::kStopGraceMillis);
    worker->wait();
    delete worker;
    return status;
}

int ImportCommand::importFiles(CliContext &c, Store &store, const LogFormat &format,
                               const QStringList &files, const Settings &settings,
                               const std::atomic_bool &cancel)
{
    try {
        // The store is the data folder's files or a server's database.
        c.openStore(store);
        std::unique_ptr<Recorder> recorder = Recorder::of(store);
        recorder->setRecordUplinks(settings.uplinkMessages() == 1);
        recorder->setAnswerTimeout(settings.storeAnswerTimeout() * 1000);
        const QStringList names = LogImporter::recordedNames(files);
        for (qsizetype i = 0; i < files.size(); ++i)
            if (recorder->logEntry(names[i]).whole)
                c.err << "corvane import: warning: " << QFileInfo(files[i]).fileName()
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
            reportProgress(c, r);
            allRead = allRead && r.read && !r.cancelled;
        }
        // The files a failure or a stop left unread are named.
        const QStringList unread = files.mid(qsizetype(results.size()));
        if (!unread.isEmpty()) {
            QStringList names;
            for (const QString &path : unread)
                names << QFileInfo(path).fileName();
            c.err << "corvane import: not read: " << names.join(QStringLiteral(", ")) << '\n';
        }
        if (cancel)
            c.err << "corvane import: cancelled\n";
        return allRead ? ExitOk : ExitFailure;
    } catch (const StoreError &e) {
        c.err << "corvane import: " << e.message() << '\n';
        return ExitFailure;
    }
}

void ImportCommand::reportProgress(CliContext &c, const ImportResult &r)
{
    const QString prefix = QStringLiteral("corvane import: ") + r.name + QStringLiteral(": ");
    if (r.resumedAfter > 0)
        c.err << prefix << "an earlier import stopped after record " << r.resumedAfter
              << "; went on from there\n";
    if (r.notStored > 0)
        c.err << prefix << r.notStored << " messages of the failed batch were not stored\n";
    if (!r.storeFailed && !r.cancelled)
        return;
    if (!r.readToEnd)
        c.err << prefix << "not read past record " << r.records << " (character " << r.position
              << " of " << r.size << ")\n";
    if (r.recordsStored > 0)
        c.err << prefix << "records 1 to " << r.recordsStored
              << " are stored, and importing the file again goes on after them\n";
    else
        c.err << prefix << "nothing of it is stored\n";
}

} // namespace corvane
