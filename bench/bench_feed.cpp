// Live feed: dumpvdl2 datagrams sent over UDP at a steady rate to
// `corvane live`, then the rows counted: none may be lost or doubled. Each
// rate runs against a fresh store; the rates go up until one loses
// messages. The kernel's drop counter for the receiving socket is shown
// beside our own counts.
//
// `bench_feed flood SECONDS RATE [QUEUE_MB]` floods far past what the store
// takes: once stopped at the end of the flood with its queue full, once
// left to drain first. It shows the station's peak memory, what it dropped
// and said so, its memory once drained, and how long the stop took.
#include "BenchSupport.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;

namespace
{

struct RunResult {
    qint64 rows = 0;
    qint64 distinct = 0;
    qint64 kernelDrops = -1; // -1: not found
    double sendSeconds = 0;
    double drainSeconds = 0;
};

// The drops column of /proc/net/udp for the local port.
qint64 kernelDrops(quint16 port)
{
    QFile f(QStringLiteral("/proc/net/udp"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray local = ":" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    f.readLine();
    while (!f.atEnd()) {
        const QList<QByteArray> cols = f.readLine().simplified().split(' ');
        if (cols.size() > 12 && cols[1].endsWith(local))
            return cols.last().toLongLong();
    }
    return -1;
}

quint16 freePort()
{
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

qint64 count(Store &store, const char *sql)
{
    SqliteStatement s(store.acarsLog(), sql);
    s.step();
    return s.int64(0);
}

// Sums the "N stored" of the pass lines seen so far.
qint64 storedSoFar(QProcess &p, QByteArray &out)
{
    out += p.readAllStandardOutput();
    qint64 stored = 0;
    for (const QByteArray &line : out.split('\n'))
        if (line.contains(" stored, "))
            stored += line.left(line.indexOf(' ')).toLongLong();
    return stored;
}

bool runAt(const QString &folder, qint64 n, int rate, RunResult &r)
{
    const quint16 port = freePort();
    QProcess live;
    live.setProcessChannelMode(QProcess::SeparateChannels);
    live.start(QStringLiteral(CORVANE_BINARY),
               {"live", "--data-dir", folder, "--type", "dumpvdl2", "--listen",
                QStringLiteral("udp:127.0.0.1:%1").arg(port)});
    QByteArray out;
    while (!out.contains("Listening on")) {
        if (!live.waitForReadyRead(10000))
            return false;
        out += live.readAllStandardOutput();
    }
    out.clear();

    const bench::Traffic traffic;
    std::vector<QByteArray> datagrams;
    datagrams.reserve(size_t(n));
    for (qint64 i = 0; i < n; ++i)
        datagrams.push_back(traffic.dumpvdl2Object(i));
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0; i < n; ++i) {
        // Steady: datagram i leaves at i / rate seconds.
        const qint64 due = i * 1000000000 / rate;
        const qint64 early = due - clock.nsecsElapsed();
        if (early > 200000)
            QThread::usleep(quint64(early / 1000));
        const QByteArray &d = datagrams[size_t(i)];
        ::sendto(s, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr *>(&to),
                 sizeof to);
    }
    ::close(s);
    r.sendSeconds = double(clock.nsecsElapsed()) / 1e9;

    // Until everything is stored, or nothing more comes for 3 s.
    QElapsedTimer quiet;
    quiet.start();
    qint64 last = -1;
    while (quiet.elapsed() < 3000) {
        live.waitForReadyRead(200);
        const qint64 now = storedSoFar(live, out);
        if (now != last) {
            last = now;
            quiet.restart();
        }
        if (now >= n)
            break;
    }
    r.drainSeconds = double(clock.nsecsElapsed()) / 1e9 - r.sendSeconds;
    r.kernelDrops = kernelDrops(port);
    ::kill(pid_t(live.processId()), SIGINT);
    live.waitForFinished(-1);

    Store store;
    store.open(folder);
    r.rows = count(store, "SELECT count(*) FROM tMessage");
    // Every message of the traffic has a time of its own.
    r.distinct = count(store, "SELECT count(DISTINCT mTime) FROM tMessage");
    return true;
}

// A field of /proc/PID/status, in kB (VmRSS, VmHWM).
qint64 statusKb(qint64 pid, const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).simplified().split(' ').first().toLongLong();
    return -1;
}

struct FloodResult {
    qint64 sent = 0;
    qint64 peakKb = 0;
    qint64 drainedKb = -1; // -1: stopped with its queue full
    qint64 rows = 0;
    qint64 dropped = 0; // as the station said
    qint64 kernelDrops = 0;
    double stopSeconds = 0;
    int exitCode = -1;
};

qint64 droppedInAll(const QByteArray &err)
{
    const qsizetype at = err.indexOf(" datagrams or lines were dropped in all");
    if (at < 0)
        return 0;
    const qsizetype from = err.lastIndexOf(' ', at - 1) + 1;
    return err.mid(from, at - from).toLongLong();
}

bool flood(const QString &folder, int seconds, int rate, bool drain, FloodResult &r)
{
    const quint16 port = freePort();
    QProcess live;
    live.start(QStringLiteral(CORVANE_BINARY),
               {"live", "--data-dir", folder, "--type", "dumpvdl2", "--listen",
                QStringLiteral("udp:127.0.0.1:%1").arg(port)});
    QByteArray out;
    QByteArray err;
    while (!out.contains("Listening on")) {
        if (!live.waitForReadyRead(10000))
            return false;
        out += live.readAllStandardOutput();
    }
    const qint64 pid = live.processId();
    const bench::Traffic traffic;
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const qint64 n = qint64(seconds) * rate;
    // Made before, so that the sender keeps its rate; the same ones again
    // past that are stored again, as rows of their own.
    std::vector<QByteArray> datagrams;
    for (qint64 i = 0; i < std::min<qint64>(n, 200000); ++i)
        datagrams.push_back(traffic.dumpvdl2Object(i));
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0; i < n; ++i) {
        const qint64 due = i * 1000000000 / rate;
        const qint64 early = due - clock.nsecsElapsed();
        if (early > 200000)
            QThread::usleep(quint64(early / 1000));
        const QByteArray &d = datagrams[size_t(i) % datagrams.size()];
        ::sendto(s, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr *>(&to),
                 sizeof to);
        if (i % 10000 == 0) {
            out += live.readAllStandardOutput();
            err += live.readAllStandardError();
        }
    }
    ::close(s);
    r.sent = n;
    r.kernelDrops = kernelDrops(port);
    if (drain) {
        // Until nothing more is stored for 15 s: a pass of a full queue on
        // a busy machine takes seconds.
        QElapsedTimer quiet;
        quiet.start();
        qint64 last = -1;
        while (quiet.elapsed() < 15000) {
            live.waitForReadyRead(200);
            err += live.readAllStandardError();
            const qint64 now = storedSoFar(live, out);
            if (now != last) {
                last = now;
                quiet.restart();
            }
        }
        r.drainedKb = statusKb(pid, "VmRSS");
    }
    r.peakKb = statusKb(pid, "VmHWM");
    QElapsedTimer stop;
    stop.start();
    ::kill(pid_t(pid), SIGTERM);
    live.waitForFinished(-1);
    r.stopSeconds = double(stop.nsecsElapsed()) / 1e9;
    r.exitCode = live.exitCode();
    err += live.readAllStandardError();
    r.dropped = droppedInAll(err);
    Store store;
    store.open(folder);
    r.rows = count(store, "SELECT count(*) FROM tMessage");
    return true;
}

int floodMain(int seconds, int rate, int queueMegabytes)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (queueMegabytes > 0) {
        QDir().mkpath(config.filePath(QStringLiteral("ACARS Corvane")));
        QFile conf(config.filePath(QStringLiteral("ACARS Corvane/ACARS Corvane.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return 1;
        conf.write("[Feeds]\nQueueMegabytes=" + QByteArray::number(queueMegabytes) + "\n");
    }
    std::printf(
        "Flooding corvane live with %d dumpvdl2 datagrams/s for %d s (queue: %s)\n", rate, seconds,
        queueMegabytes > 0 ? qPrintable(QString::number(queueMegabytes) + " MB") : "the default");
    for (const bool drain : {false, true}) {
        QTemporaryDir dir;
        FloodResult r;
        if (!flood(dir.filePath(QStringLiteral("store")), seconds, rate, drain, r)) {
            std::printf("corvane live did not start\n");
            return 1;
        }
        std::printf("%s: sent %lld, stored %lld, dropped and said %lld, kernel drops %lld, "
                    "unaccounted %lld; peak RSS %.1f MB",
                    drain ? "drained, then stopped" : "stopped at once", r.sent, r.rows, r.dropped,
                    r.kernelDrops, r.sent - r.rows - r.dropped - r.kernelDrops,
                    double(r.peakKb) / 1024);
        if (r.drainedKb >= 0)
            std::printf(", RSS once drained %.1f MB", double(r.drainedKb) / 1024);
        std::printf("; SIGTERM to exit %.1f s (status %d)\n", r.stopSeconds, r.exitCode);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 3 && QByteArray(argv[1]) == "flood")
        return floodMain(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt(),
                         argc > 4 ? QByteArray(argv[4]).toInt() : 0);
    const qint64 n = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    const QByteArray rateList =
        argc > 2 ? QByteArray(argv[2]) : QByteArray("5000,10000,20000,40000");
    std::printf("Sending %lld dumpvdl2 messages over UDP to corvane live (%d processors)\n", n,
                QThread::idealThreadCount());
    int best = 0;
    int targetRun = 0; // 1: met, -1: not met, 0: 5000/s was not in the list
    for (const QByteArray &rateText : rateList.split(',')) {
        const int rate = rateText.toInt();
        QTemporaryDir dir;
        RunResult r;
        if (!runAt(dir.filePath("store"), n, rate, r)) {
            std::printf("corvane live did not start\n");
            return 1;
        }
        const qint64 lost = n - r.distinct;
        const qint64 doubled = r.rows - r.distinct;
        std::printf("%6d/s: sent in %.1f s, stored %lld rows; lost %lld, doubled %lld, kernel "
                    "drops %lld; last row %.1f s after the last send\n",
                    rate, r.sendSeconds, r.rows, lost, doubled, r.kernelDrops, r.drainSeconds);
        if (rate == 5000)
            targetRun = lost == 0 && doubled == 0 ? 1 : -1;
        if (lost != 0 || doubled != 0)
            break;
        best = rate;
    }
    std::printf("highest steady rate with none lost: %d/s\n", best);
    std::printf("target (5000/s, none lost or doubled): %s\n", targetRun > 0   ? "met"
                                                               : targetRun < 0 ? "NOT met"
                                                                               : "not run");
    return 0;
}
