#include "LiveCommand.h"

#include "StopSignals.h"
#include "TerminalText.h"

#include "formats/LiveTypes.h"
#include "live/AlertWords.h"
#include "live/FeedEndpoint.h"
#include "live/LinkNames.h"
#include "live/LivePublisher.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "settings/Settings.h"
#include "store/MessageRecorder.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane
{

QString LiveCommand::usage() const
{
    return QStringLiteral(
               "Usage: corvane live [--data-dir DIR] [--type DDETYPE]... [--listen VALUE]\n"
               "                    [--file PATH] [--publish] [--alerts]\n\n"
               "Links to the running decoder of DDETYPE (default: the setting \"DDEType\")\n"
               "and records every message it sends from now on, until interrupted. For\n"
               "ARD2, SSHF and SSVHF, --file names the decoder's growing log file, which\n"
               "is polled instead. After each pass a line tells the messages stored and\n"
               "today's counts. When the decoder goes away the link is tried again every\n"
               "few seconds. --publish passes each recorded message on as the item\n"
               "LiveData of Corvane|ACARS, as the window's \"DDE Server\" box does.\n"
               "The network decoders' feeds (%2)\n"
               "are received where settings group \"Feeds\" says, or --listen VALUE:\n"
               "udp:[ADDRESS:]PORT, tcp-listen:[ADDRESS:]PORT or tcp:HOST:PORT.\n"
               "Give --type more than once to record several feeds at once\n"
               "(Feeds records those of the setting [Feeds] Enabled).\n"
               "--alerts matches the text of every message stored against the words of\n"
               "alerts.txt (less the texts holding a word of alerts-ignore.txt), as the\n"
               "window does while a link runs, stores the alerts and prints a line for each:\n"
               "  ALERT <word>: <first line of the message text>\n"
               "What the feeds send waits for the store in a queue of at most [Feeds]\n"
               "QueueMegabytes (default 256) MB; what finds it full is dropped and counted\n"
               "on stderr.\n"
               "With the store on a server (--store URL or the setting [Store] Url), what\n"
               "the server cannot take while it is out of reach (or leaves unanswered for\n"
               "[Store] AnswerTimeout seconds, 30) is held in memory (at most 256 MB, told\n"
               "after each pass) and stored once it is back; what is still held at the\n"
               "stop (given at most 10 s more) is kept in held-messages.dat in the data\n"
               "folder, and the next start stores it first.\n"
               "DDETYPE is one of: %1.\n")
        .arg(LiveTypes::names().join(QStringLiteral(", ")),
             LiveTypes::feedNames().join(QStringLiteral(", ")));
}

namespace
{

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1 << 20), 'f', 1) + QStringLiteral(" MB");
}

// A station whose server is away keeps what it receives in memory and says
// so after every pass, and again once the server has taken it.
void reportHold(CliContext &c, const LivePassResult &r, qint64 &wasHeld)
{
    if (r.held > 0)
        c.err << "corvane live: the store cannot take messages now (" << r.awayReason
              << "); holding " << r.held << " messages (" << megabytes(r.heldBytes)
              << " of at most " << megabytes(r.holdLimitBytes) << "), trying again\n";
    else if (wasHeld > 0)
        c.err << "corvane live: the store took the held messages\n";
    if (r.notStored > 0 && !r.storeFailed)
        c.err << "corvane live: the hold is full; " << r.notStored
              << " messages received were not stored\n";
    wasHeld = r.held;
    c.err.flush();
}

// A feed that outruns the store fills its queue; what arrives then is
// dropped, and each pass says how much.
void reportDropped(CliContext &c, const LivePassResult &r, qint64 limitBytes, qint64 total)
{
    c.err << "corvane live: the feed queue is full (" << megabytes(limitBytes) << "); " << r.dropped
          << " datagrams or lines received (" << megabytes(r.droppedBytes) << ") were dropped, "
          << total << " since the start\n";
    c.err.flush();
}

// The last try to store what is held; what the store still cannot take is
// kept in the data folder for the next start, or else counted, never
// dropped without a word.
bool storeHeldAtExit(CliContext &c, RecorderThread &recorder)
{
    recorder.stop();
    const RecorderThread::KeptMessages &kept = recorder.keptAtStop();
    if (kept.messages == 0)
        return true;
    c.err << "corvane live: " << kept.messages << " messages held for the store were not stored ("
          << kept.why << "); ";
    if (kept.error.isEmpty())
        c.err << "kept in " << kept.path << ", the next start stores them first\n";
    else
        c.err << "nor kept: " << kept.error << '\n';
    return false;
}

void reportKeptFromLastRun(CliContext &c, const RecorderThread::KeptMessages &kept)
{
    for (const QString &line : kept.report())
        c.err << "corvane live: " << line << '\n';
}

} // namespace

int LiveCommand::run(CliContext &c)
{
    const Settings settings;
    QStringList types;
    QString path;
    QString listen;
    bool publish = false;
    bool alerts = false;
    for (qsizetype i = 0; i < c.args.size(); ++i) {
        const QString &a = c.args[i];
        const bool hasValue = i + 1 < c.args.size();
        if (a == QLatin1String("--type") && hasValue)
            types << c.args[++i];
        else if (a == QLatin1String("--file") && hasValue)
            path = c.args[++i];
        else if (a == QLatin1String("--listen") && hasValue)
            listen = c.args[++i];
        else if (a.startsWith(QLatin1String("--type=")))
            types << a.mid(7);
        else if (a.startsWith(QLatin1String("--file=")))
            path = a.mid(7);
        else if (a.startsWith(QLatin1String("--listen=")))
            listen = a.mid(9);
        else if (a == QLatin1String("--publish"))
            publish = true;
        else if (a == QLatin1String("--alerts"))
            alerts = true;
        else {
            c.err << "corvane live: unexpected \"" << a << "\"\n" << usage();
            return ExitUsage;
        }
    }
    if (types.isEmpty())
        types << settings.ddeType();
    // Several types are the feeds of one group link.
    const QString type = types.size() > 1 ? QStringLiteral("Feeds") : types.first();
    for (const QString &t : types) {
        const LiveType *named = LiveTypes::find(t);
        if (!named || (types.size() > 1 && (!named->isFeed() || named->isFeedGroup()))) {
            c.err << "corvane live: " << (named ? "not a single feed" : "no live reader for")
                  << " \"" << t << "\"\n"
                  << usage();
            return ExitUsage;
        }
    }
    const LiveType *liveType = LiveTypes::find(type);
    if (!listen.isEmpty() && (types.size() > 1 || !liveType->isFeed() || liveType->isFeedGroup() ||
                              !FeedEndpoint::parse(listen))) {
        c.err << "corvane live: --listen takes udp:[ADDRESS:]PORT, tcp-listen:[ADDRESS:]PORT or "
                 "tcp:HOST:PORT, with one feed type\n"
              << usage();
        return ExitUsage;
    }
    const bool polled = liveType->isPolled();
    if (polled == path.isEmpty()) {
        c.err << "corvane live: " << type
              << (polled ? " polls a log file: give --file\n" : " takes no --file\n");
        return ExitUsage;
    }

    try {
        const bool uplinks = settings.uplinkMessages() == 1;
        RecorderThread recorder;
        recorder.setAnswerTimeout(settings.storeAnswerTimeout() * 1000);
        QString error;
        if (!recorder.start(c.dataDir, c.storeUrl, &error)) {
            c.err << "corvane live: " << error << '\n';
            return ExitFailure;
        }
        recorder.submit(
            [uplinks](RecorderJobContext &job) { job.recorder.setRecordUplinks(uplinks); });
        reportKeptFromLastRun(c, recorder.keptFromLastRun());
        LivePublisher publisher;
        publisher.setPassUplinks(uplinks);
        if (publish && !publisher.start(&error)) {
            c.err << "corvane live: " << error << '\n';
            return ExitFailure;
        }
        LiveSession session(recorder);
        session.setLinkAddress(settings.linkAddress(type));
        for (const QString &feed : LiveTypes::feedNames())
            session.setFeedListen(feed, settings.feedListen(feed));
        if (!listen.isEmpty())
            session.setFeedListen(type, listen);
        session.setEnabledFeeds(types.size() > 1 ? types : settings.enabledFeeds());
        session.setFeedQueueLimit(settings.feedQueueBytes());
        session.setPublisher(&publisher);
        session.setPublishing(publish);
        if (alerts)
            session.setAlerts(std::make_shared<const AlertMatcher>(
                AlertWords::read(AlertWords::wordsPath(c.dataDir)),
                AlertWords::read(AlertWords::ignorePath(c.dataDir))));

        bool noServer = false;
        if (!session.start(type, path, &error, &noServer)) {
            c.err << (noServer ? error : QStringLiteral("corvane live: ") + error) << '\n';
            return ExitFailure;
        }
        c.out << "recording " << type << (polled ? QStringLiteral(" from ") + path : QString())
              << '\n';
        if (liveType->isFeed())
            c.out << session.feedStatusText() << '\n';
        c.out.flush();
        QObject::connect(&session, &LiveSession::feedStatusChanged, &session,
                         [&c](const QString &text) {
                             c.err << "corvane live: " << text
                                   << (text.contains(QLatin1String("Waiting for"))
                                           ? "; trying again every few seconds\n"
                                           : "\n");
                             c.err.flush();
                         });

        QEventLoop loop;
        StopSignals stop(loop);
        bool storeFailed = false;
        qint64 wasHeld = 0;
        qint64 dropped = 0;
        // What is held is tried again even when nothing new arrives.
        QTimer retryHeld;
        retryHeld.setInterval(kRetryHeldMs);
        retryHeld.setSingleShot(true);
        QObject::connect(&retryHeld, &QTimer::timeout, &loop, [&] {
            recorder.submit([&](RecorderJobContext &job) {
                job.recorder.commitNow();
                LivePassResult now;
                now.noteHold(job.recorder);
                RecorderThread::post(&loop, [&, now] {
                    reportHold(c, now, wasHeld);
                    if (now.held > 0)
                        retryHeld.start();
                });
            });
        });
        QObject::connect(&session, &LiveSession::passFinished, &loop, [&](const LivePassResult &r) {
            reportHold(c, r, wasHeld);
            if (r.held > 0)
                retryHeld.start();
            if (r.dropped > 0) {
                dropped += r.dropped;
                reportDropped(c, r, session.feedQueueLimit(), dropped);
            }
            if (r.discarded)
                c.out << "linked; the value held at link time was left out\n";
            else
                c.out << r.stored << " stored, " << r.skipped << " skipped, " << r.rejected
                      << " rejected; today: " << r.countsText() << " (messages/aircraft), "
                      << r.ratesText() << " per hour\n";
            c.out.flush();
            if (r.storeFailed) {
                c.err << "corvane live: " << r.error << '\n';
                if (r.notStored > 0)
                    c.err << "corvane live: " << r.notStored
                          << " messages of the failed batch were not stored\n";
                storeFailed = true;
                loop.exit(ExitFailure);
            }
        });
        // Each alert as soon as it is stored, for a notifier at the pipe's end.
        QObject::connect(&session, &LiveSession::alertsAdded, &loop,
                         [&](const QList<AlertRow> &rows) {
                             for (const AlertRow &row : rows) {
                                 c.out << "ALERT " << TerminalText::escaped(row.alert) << ": "
                                       << TerminalText::escaped(row.firstLine()) << '\n';
                                 c.out.flush();
                             }
                         });
        QObject::connect(&publisher.server(), &LinkServer::listenFailed, &loop,
                         [&](const QString &why) {
                             c.err << "corvane live: " << why << '\n';
                             c.err.flush();
                             loop.exit(ExitFailure);
                         });
        QTimer relink;
        relink.setInterval(kRelinkMs);
        relink.setSingleShot(true);
        QObject::connect(&session, &LiveSession::linkBroken, &loop,
                         [&](const QString &why, bool wasLinked) {
                             c.err << "corvane live: the link to " << type
                                   << (wasLinked ? " closed: " : " was not taken: ") << why
                                   << "; linking again every " << kRelinkMs / 1000 << " seconds\n";
                             c.err.flush();
                             relink.start();
                         });
        QObject::connect(&relink, &QTimer::timeout, &loop, [&] {
            QString why;
            if (session.start(type, path, &why)) {
                c.err << "corvane live: linked to " << type << " again\n";
                c.err.flush();
            } else {
                relink.start();
            }
        });
        const int status = loop.exec();
        // From the stop on, a server that does not answer is given up within
        // a few seconds: what it has not taken is kept in the data folder.
        recorder.abandonStoreWaitsAfter(StopSignals::kStopGraceMillis);
        relink.stop();
        retryHeld.stop();
        // Values received but not yet dispatched are recorded here, and
        // every pass handed to the recorder reports before we leave.
        session.stop();
        recorder.drain();
        while (session.passesInFlight() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        c.out.flush();
        if (dropped > 0)
            c.err << "corvane live: " << dropped
                  << " datagrams or lines were dropped in all, the feed queue being full\n";
        if (!storeHeldAtExit(c, recorder))
            return ExitFailure;
        return storeFailed ? ExitFailure : status;
    } catch (const StoreError &e) {
        c.err << "corvane live: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
