// Live feed: dumpvdl2 datagrams sent over UDP at a steady rate to
// `corvane live`, then the rows counted: none may be lost or doubled. Each
// rate runs against a fresh store; the rates go up until one loses
// messages. The kernel's drop counter for the receiving socket is shown
// beside our own counts.
#include "BenchSupport.h"
#include "store/SqliteDb.h"
#include "store/Store.h"

#include <QCoreApplication>
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
