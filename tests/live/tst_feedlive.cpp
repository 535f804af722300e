#include "../formats/FeedFixtures.h"
#include "live/AlertMatcher.h"
#include "live/FeedEndpoint.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "store/FeedDetails.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>
#include <csignal>
#include <sys/resource.h>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::test::feed;

namespace
{
// A port nobody listens on now.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString udp(quint16 port)
{
    return QStringLiteral("udp:127.0.0.1:%1").arg(port);
}

void send(quint16 port, const QByteArray &datagram)
{
    QUdpSocket s;
    s.writeDatagram(datagram, QHostAddress::LocalHost, port);
}

// The session's passes, added up.
struct Tally {
    qint64 stored = 0, rejected = 0, dropped = 0, passes = 0;
    QStringList blocks; // what alert matching was handed

    explicit Tally(LiveSession &s)
    {
        QObject::connect(&s, &LiveSession::passFinished, [this](const LivePassResult &r) {
            stored += r.stored;
            rejected += r.rejected;
            dropped += r.dropped;
            ++passes;
        });
        QObject::connect(&s, &LiveSession::valueHandled,
                         [this](const QString &text) { blocks << text; });
    }
};

qint64 rows(const QString &dataDir, const char *table)
{
    Store store;
    store.open(dataDir);
    SqliteStatement s(store.acarsLog(), QByteArray("SELECT count(*) FROM ") + table);
    s.step();
    return s.int64(0);
}
} // namespace

class FeedLiveTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void endpoints_data();
    void endpoints();
    void udpDatagrams();
    void tcpListenLines();
    void tcpConnectWaitsForTheServer();
    void feedsRecordedTogether();
    void portInUseIsAnError();
    void floodBeyondTheQueue();
    void commandLine();
    void descriptorsRunningOut();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void FeedLiveTest::endpoints_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown"); // empty: malformed
    QTest::newRow("udp with address") << "udp:127.0.0.1:5555"
                                      << "udp:127.0.0.1:5555";
    QTest::newRow("udp, any address") << "udp:5550"
                                      << "udp:5550";
    QTest::newRow("tcp-listen") << "tcp-listen:0.0.0.0:5556"
                                << "tcp-listen:0.0.0.0:5556";
    QTest::newRow("IPv6") << "udp:[::1]:5555"
                          << "udp:[::1]:5555";
    QTest::newRow("tcp needs a host") << "tcp:5555"
                                      << "";
    QTest::newRow("port out of range") << "udp:70000"
                                       << "";
    QTest::newRow("port zero") << "udp:0"
                               << "";
    QTest::newRow("empty address") << "udp::5555"
                                   << "";
    QTest::newRow("unknown scheme") << "http:localhost:80"
                                    << "";
    QTest::newRow("no scheme") << "5555"
                               << "";
}

void FeedLiveTest::endpoints()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);
    const auto e = FeedEndpoint::parse(value);
    QCOMPARE(e ? e->toString() : QString(), shown);
}

void FeedLiveTest::udpDatagrams()
{
    const QString dataDir = m_env->newDataDir();
    RecorderThread recorder;
    QVERIFY(recorder.start(dataDir));
    LiveSession session(recorder);
    Tally tally(session);
    const quint16 port = freePort();
    session.setFeedListen(QStringLiteral("dumpvdl2"), udp(port));
    // Matched against the message text, not the header the block shows.
    session.setAlerts(std::make_shared<const AlertMatcher>(QStringList{"PAYLOAD"}));
    QSignalSpy alerts(&session, &LiveSession::alertsAdded);
    QString error;
    QVERIFY2(session.start(QStringLiteral("dumpvdl2"), {}, &error), qPrintable(error));
    QCOMPARE(session.feedStatusText(), "Listening on " + udp(port));
    // A large receive buffer was asked for; the system may give less.
    QVERIFY(session.feedReceiveBuffer() > 0);

    send(port, dumpvdl2Acars(0));
    send(port, dumpvdl2Acars(1) + "\n" + dumpvdl2Acars(2)); // two in one datagram
    send(port, dumpvdl2Acars(3) + dumpvdl2Acars(4));        // back to back
    send(port, dumpvdl2Xid());
    send(port, "{\"vdl2\":{\"t\":");
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 5 && tally.rejected == 1; }, 10000));
    // No connect-time value is thrown away; nothing is read twice.
    session.stop();
    recorder.drain();
    QCoreApplication::processEvents();
    QCOMPARE(tally.stored, qint64(5));
    QCOMPARE(tally.blocks.size(), 5);
    QVERIFY(tally.blocks.first().startsWith("ACARS mode: 2  Aircraft reg: EI-DVM"));
    QCOMPARE(rows(dataDir, "tMessage"), qint64(5));
    QCOMPARE(rows(dataDir, "FeedDetails"), qint64(5));
    // Each stored message met the watched words, in the job that stored it.
    qsizetype alerted = 0;
    for (const QList<QVariant> &signal : alerts)
        alerted += signal.at(0).value<QList<AlertRow>>().size();
    QCOMPARE(alerted, qsizetype(5));
}

void FeedLiveTest::tcpListenLines()
{
    const QString dataDir = m_env->newDataDir();
    RecorderThread recorder;
    QVERIFY(recorder.start(dataDir));
    LiveSession session(recorder);
    Tally tally(session);
    const quint16 port = freePort();
    session.setFeedListen(QStringLiteral("acarsdec"),
                          QStringLiteral("tcp-listen:127.0.0.1:%1").arg(port));
    QString error;
    QVERIFY2(session.start(QStringLiteral("acarsdec"), {}, &error), qPrintable(error));

    QTcpSocket decoder;
    decoder.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(decoder.waitForConnected(5000));
    const QByteArray line = acarsdecDownlink() + '\n';
    // A line in two writes, a line far too long, then two good lines at once.
    decoder.write(line.left(40));
    decoder.flush();
    QTest::qWait(100);
    decoder.write(line.mid(40));
    decoder.write(QByteArray(200 * 1024, 'x') + '\n');
    decoder.write(acarsdecDownlink(1) + '\n' + acarsdecDownlink(2) + '\n');
    decoder.flush();
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 3 && tally.rejected == 1; }, 10000));
    // A line cut off by the decoder's leaving is still read.
    decoder.write(acarsdecDownlink(3));
    decoder.disconnectFromHost();
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 4; }, 10000));
    session.stop();
}

void FeedLiveTest::tcpConnectWaitsForTheServer()
{
    const QString dataDir = m_env->newDataDir();
    RecorderThread recorder;
    QVERIFY(recorder.start(dataDir));
    LiveSession session(recorder);
    Tally tally(session);
    QSignalSpy status(&session, &LiveSession::feedStatusChanged);
    const quint16 port = freePort();
    session.setFeedListen(QStringLiteral("vdlm2dec"), QStringLiteral("tcp:127.0.0.1:%1").arg(port));
    QString error;
    // Nobody serves yet: the start succeeds and waits.
    QVERIFY2(session.start(QStringLiteral("vdlm2dec"), {}, &error), qPrintable(error));
    QTRY_COMPARE_WITH_TIMEOUT(session.feedStatusText(),
                              QStringLiteral("Waiting for 127.0.0.1:%1").arg(port), 5000);

    QTcpServer router;
    QVERIFY(router.listen(QHostAddress::LocalHost, port));
    QVERIFY(router.waitForNewConnection(10000));
    QTcpSocket *client = router.nextPendingConnection();
    QTRY_COMPARE_WITH_TIMEOUT(session.feedStatusText(),
                              QStringLiteral("Connected to 127.0.0.1:%1").arg(port), 5000);
    client->write(vdlm2decDownlink() + '\n');
    client->flush();
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 1; }, 10000));

    // The server goes away: waiting again, then back.
    client->close();
    QTRY_VERIFY_WITH_TIMEOUT(session.feedStatusText().startsWith("Waiting for"), 5000);
    QVERIFY(router.waitForNewConnection(10000));
    client = router.nextPendingConnection();
    client->write(vdlm2decUplink() + '\n');
    client->flush();
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 2; }, 10000));
    QVERIFY(status.size() >= 3);
    session.stop();
}

void FeedLiveTest::feedsRecordedTogether()
{
    const QString dataDir = m_env->newDataDir();
    RecorderThread recorder;
    QVERIFY(recorder.start(dataDir));
    LiveSession session(recorder);
    Tally tally(session);
    const quint16 acars = freePort();
    quint16 hfdl = freePort();
    if (hfdl == acars)
        ++hfdl;
    session.setFeedListen(QStringLiteral("acarsdec"), udp(acars));
    session.setFeedListen(QStringLiteral("dumphfdl"), udp(hfdl));
    session.setEnabledFeeds({QStringLiteral("acarsdec"), QStringLiteral(" dumphfdl")});
    QString error;
    QVERIFY2(session.start(QStringLiteral("Feeds"), {}, &error), qPrintable(error));
    QCOMPARE(session.feedStatusText(),
             "Listening on " + udp(acars) + "; Listening on " + udp(hfdl));
    send(acars, acarsdecDownlink());
    send(hfdl, dumphfdlPosition(51.47, -0.4543));
    // Each feed is read by its own decoder's rules: the wrong one is rejected.
    send(hfdl, acarsdecDownlink());
    QVERIFY(QTest::qWaitFor([&] { return tally.stored == 2 && tally.rejected == 1; }, 10000));
    session.stop();
    recorder.drain();
    Store store;
    store.open(dataDir);
    // The two sockets are read in either order.
    QStringList decoders{FeedDetails::forMessage(store, 1)->decoder,
                         FeedDetails::forMessage(store, 2)->decoder};
    decoders.sort();
    QCOMPARE(decoders, (QStringList{"acarsdec", "dumphfdl"}));

    session.setEnabledFeeds({QStringLiteral("acarsdec"), QStringLiteral("SkySpy")});
    QVERIFY(!session.start(QStringLiteral("Feeds"), {}, &error));
    QVERIFY2(error.contains("SkySpy"), qPrintable(error));
}

void FeedLiveTest::portInUseIsAnError()
{
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::LocalHost, 0));
    const quint16 port = holder.localPort();
    RecorderThread recorder;
    QVERIFY(recorder.start(m_env->newDataDir()));
    LiveSession session(recorder);
    session.setFeedListen(QStringLiteral("dumpvdl2"), udp(port));
    QString error;
    QVERIFY(!session.start(QStringLiteral("dumpvdl2"), {}, &error));
    QVERIFY2(error.contains(udp(port)), qPrintable(error));
    QVERIFY(!session.isRunning());
}

// A sender that outruns the store fills the queue up to its bound and no
// further: what comes then is dropped and counted, junk takes no room from
// the messages, and a stop stores all that waits.
void FeedLiveTest::floodBeyondTheQueue()
{
    const QString dataDir = m_env->newDataDir();
    RecorderThread recorder;
    QVERIFY(recorder.start(dataDir));
    LiveSession session(recorder);
    Tally tally(session);
    const quint16 port = freePort();
    const qint64 limit = 64 * 1024;
    session.setFeedListen(QStringLiteral("dumpvdl2"), udp(port));
    session.setFeedQueueLimit(limit);
    QVERIFY(session.start(QStringLiteral("dumpvdl2")));
    QSemaphore busy; // the store takes nothing until released
    const auto holdStore = [&] {
        recorder.submit([&busy](RecorderJobContext &) { busy.acquire(); });
    };

    holdStore();
    const int junk = 20;
    const int sent = 300;
    for (int i = 0; i < junk; ++i)
        send(port, QByteArray(8000, '{'));
    for (int i = 0; i < sent; ++i)
        send(port, dumpvdl2Acars(i));
    QVERIFY(QTest::qWaitFor([&] { return session.feedQueueBytes() > limit - 1024; }, 10000));
    QVERIFY(session.feedQueueBytes() <= limit);
    busy.release();
    QVERIFY2(
        QTest::qWaitFor(
            [&] { return tally.stored + tally.dropped == sent && tally.rejected == junk; }, 20000),
        qPrintable(QStringLiteral("%1 stored, %2 dropped, %3 rejected")
                       .arg(tally.stored)
                       .arg(tally.dropped)
                       .arg(tally.rejected)));
    QVERIFY(tally.dropped > 0);
    QVERIFY(tally.stored >= limit / (dumpvdl2Acars(0).size() + FeedQueue::kChunkOverhead));
    QCOMPARE(session.feedValuesDropped(), tally.dropped);

    holdStore();
    const QByteArray datagram = dumpvdl2Acars(7);
    for (int i = 0; i < 50; ++i)
        send(port, datagram);
    QTRY_COMPARE_WITH_TIMEOUT(session.feedQueueBytes(),
                              50 * (datagram.size() + FeedQueue::kChunkOverhead), 10000);
    session.stop();
    busy.release();
    QVERIFY(QTest::qWaitFor([&] { return tally.stored + tally.dropped == sent + 50; }, 20000));
    recorder.drain();
    QCOMPARE(rows(dataDir, "tMessage"), tally.stored);
}

void FeedLiveTest::commandLine()
{
    const QString dataDir = m_env->newDataDir();
    const quint16 port = freePort();
    const auto corvane = [&](const QStringList &args) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(CORVANE_BINARY), QStringList{"live", "--data-dir", dataDir} + args);
        return p;
    };
    // --listen belongs to one feed type, in a form we read.
    for (const QStringList &args :
         {QStringList{"--type", "SkySpy", "--listen", udp(port)},
          QStringList{"--type", "dumpvdl2", "--listen", "udp:host"},
          QStringList{"--type", "acarsdec", "--type", "dumpvdl2", "--listen", udp(port)},
          QStringList{"--type", "acarsdec", "--type", "SkySpy"}}) {
        auto p = corvane(args);
        QVERIFY(p->waitForFinished(20000));
        QCOMPARE(p->exitCode(), 2);
    }

    auto live = corvane({"--type", "dumpvdl2", "--listen", udp(port)});
    QByteArray out;
    QVERIFY(QTest::qWaitFor(
        [&] {
            live->waitForReadyRead(100);
            out += live->readAllStandardOutput();
            return out.contains("Listening on");
        },
        20000));
    QCOMPARE(out, "recording dumpvdl2\nListening on " + udp(port).toUtf8() + "\n");

    // A second copy cannot have the port: exit status 1, naming it.
    auto second = corvane({"--type", "dumpvdl2", "--listen", udp(port)});
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 1);
    QVERIFY(second->readAllStandardError().contains(udp(port).toUtf8()));

    send(port, dumpvdl2Acars());
    QVERIFY(QTest::qWaitFor(
        [&] {
            live->waitForReadyRead(100);
            out += live->readAllStandardOutput();
            return out.contains(" stored, ");
        },
        20000));
    QVERIFY2(out.contains("1 stored, 0 skipped, 0 rejected; today: "), out.constData());
    ::kill(pid_t(live->processId()), SIGINT);
    QVERIFY(live->waitForFinished(20000));
    QCOMPARE(live->exitCode(), 0);
    QCOMPARE(rows(dataDir, "tMessage"), qint64(1));
}

// With no descriptor left, the tcp-listen feed says so and waits, then
// accepts again once descriptors are free.
void FeedLiveTest::descriptorsRunningOut()
{
    const QString dataDir = m_env->newDataDir();
    const quint16 port = freePort();
    const QString listen = QStringLiteral("tcp-listen:127.0.0.1:%1").arg(port);
    QProcess live;
    live.setChildProcessModifier([] {
        const rlimit few{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &few);
    });
    live.start(QStringLiteral(CORVANE_BINARY),
               {"live", "--data-dir", dataDir, "--type", "acarsdec", "--listen", listen});
    QByteArray out, err;
    const auto waitFor = [&](QByteArray &seen, const QByteArray &text, int count = 1) {
        return QTest::qWaitFor(
            [&] {
                out += live.readAllStandardOutput();
                err += live.readAllStandardError();
                return seen.count(text) >= count;
            },
            20000);
    };
    QVERIFY2(waitFor(out, "Listening on"), err.constData());

    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 100; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    QVERIFY2(waitFor(err, "Cannot accept on " + listen.toUtf8()), err.constData());
    clients.clear();
    QVERIFY2(waitFor(err, "corvane live: Listening on " + listen.toUtf8()), err.constData());

    QTcpSocket decoder;
    decoder.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(decoder.waitForConnected(5000));
    decoder.write(acarsdecDownlink() + '\n');
    QVERIFY(decoder.waitForBytesWritten(5000));
    QVERIFY2(waitFor(out, "1 stored, "), out.constData());
    ::kill(pid_t(live.processId()), SIGTERM);
    QVERIFY(live.waitForFinished(20000));
    QCOMPARE(live.exitCode(), 0);
    QCOMPARE(rows(dataDir, "tMessage"), qint64(1));
}

QTEST_GUILESS_MAIN(FeedLiveTest)
#include "tst_feedlive.moc"
