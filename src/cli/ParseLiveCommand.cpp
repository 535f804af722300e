#include "ParseLiveCommand.h"

#include "CliProgress.h"
#include "TerminalText.h"
#include "formats/LiveFlags.h"
#include "formats/LivePassFrame.h"
#include "formats/NewPairsList.h"
#include "formats/SkySweeperLiveFile.h"
#include "settings/Settings.h"
#include "store/Recorder.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "store/TextCodec.h"

#include <QFile>
#include <QFileInfo>

namespace corvane
{

QString ParseLiveCommand::usage() const
{
    return QStringLiteral("Usage: corvane parse-live --type DDETYPE [--data-dir DIR] FILE\n\n"
                          "Runs one live pass of the live reader of DDETYPE over the text of\n"
                          "FILE, as if it had just arrived on the link, and records what it\n"
                          "reads. For a link that polls the decoder's log file, FILE is\n"
                          "that log, read from its start as the first poll reads it.\n"
                          "DDETYPE is one of: %1.\n")
        .arg(LiveTypes::names().join(QStringLiteral(", ")));
}

int ParseLiveCommand::runPolled(CliContext &c, const LiveType &type, const QString &path,
                                bool recordUplinks)
{
    if (!type.makeBlockReader) {
        c.err << "corvane parse-live: " << type.name() << " has no polled-file reader\n";
        return ExitFailure;
    }
    try {
        Store store;
        c.openStore(store);
        const std::unique_ptr<Recorder> recorder = Recorder::of(store);
        recorder->setRecordUplinks(recordUplinks);
        SkySweeperLiveFile live(type.makeBlockReader);
        LivePassFrame frame(store, *recorder);
        QString why;
        if (!live.open(path, &why)) {
            c.err << "corvane parse-live: " << why << '\n';
            return ExitFailure;
        }
        NewPairsList newPairs;
        CliProgress progress(c.err);
        const LivePassResult r = live.poll(frame, &newPairs, &progress);
        progress.done();
        c.out << path << ": " << r.stored << " stored, " << r.skipped << " skipped, " << r.rejected
              << " rejected\n"
              << "today: " << r.countsText() << " (messages/aircraft), " << r.ratesText()
              << " per hour\n";
        if (live.position() < QFileInfo(path).size())
            c.out << "unfinished block left from byte " << live.position() << '\n';
        for (const QString &pair : newPairs.registrations())
            c.out << "new: " << TerminalText::escaped(pair) << '\n';
        return r.read ? ExitOk : ExitFailure;
    } catch (const StoreError &e) {
        c.err << "corvane parse-live: " << e.message() << '\n';
        return ExitFailure;
    }
}

int ParseLiveCommand::run(CliContext &c)
{
    const Settings settings;
    const bool recordUplinks = settings.uplinkMessages() == 1;
    QString type;
    QStringList files;
    for (qsizetype i = 0; i < c.args.size(); ++i) {
        const QString &a = c.args[i];
        if (a == QLatin1String("--type") && i + 1 < c.args.size())
            type = c.args[++i];
        else if (a.startsWith(QLatin1String("--type=")))
            type = a.mid(7);
        else if (a.startsWith(u'-')) {
            c.err << "corvane parse-live: unknown option \"" << a << "\"\n" << usage();
            return ExitUsage;
        } else
            files << a;
    }
    const LiveType *liveType = LiveTypes::find(type);
    if (!liveType || files.size() != 1) {
        c.err << "corvane parse-live: "
              << (liveType ? "give one FILE" : "unknown or missing --type") << '\n'
              << usage();
        return ExitUsage;
    }
    if (liveType->transport == LiveTransport::BlockFile)
        return runPolled(c, *liveType, files.first(), recordUplinks);
    QFile file(files.first());
    if (!file.open(QIODevice::ReadOnly)) {
        c.err << "corvane parse-live: cannot open " << files.first() << ": " << file.errorString()
              << '\n';
        return ExitFailure;
    }
    const QString value = TextCodec::decode(file.readAll());
    try {
        Store store;
        c.openStore(store);
        const std::unique_ptr<Recorder> recorder = Recorder::of(store);
        recorder->setRecordUplinks(recordUplinks);
        LivePassFrame frame(store, *recorder);
        NewPairsList newPairs;
        CliProgress progress(c.err);
        LiveFlags flags;
        flags.restart = false; // a replay has no connect-time value to discard
        const LivePassResult r = frame.run(*liveType, value, flags, &newPairs, &progress);
        progress.done();
        c.out << files.first() << ": " << r.stored << " stored, " << r.skipped << " skipped, "
              << r.rejected << " rejected\n"
              << "today: " << r.countsText() << " (messages/aircraft), " << r.ratesText()
              << " per hour\n";
        for (const QString &pair : newPairs.registrations())
            c.out << "new: " << TerminalText::escaped(pair) << '\n';
        return r.read ? ExitOk : ExitFailure;
    } catch (const StoreError &e) {
        c.err << "corvane parse-live: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
