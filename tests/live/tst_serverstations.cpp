// Two live stations and an import recording into one store on a server, as
// stations on three machines would: both record, the registers stay true,
// and a station holds what it receives while the server is away.

#include "store/PgConnection.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreStatistics.h"
#include "support/AcarsdecFeed.h"
#include "support/ThrowawayServer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace corvane;

namespace
{

qint64 single(PgConnection &db, const QByteArray &sql)
{
    return db.query(sql).int64(0, 0);
}

bool waitForCount(PgConnection &db, qint64 count)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        if (single(db, "SELECT count(*) FROM tMessage") >= count)
            return true;
        QTest::qWait(200);
    }
    return false;
}

} // namespace

class ServerStationsTest : public QObject
{
    Q_OBJECT

private slots:
    void twoStationsAndAnImportShareOneStore();
    void heldMessagesOutliveAStop();
};

void ServerStationsTest::twoStationsAndAnImportShareOneStore()
{
    test::ThrowawayServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.whyNot()));
    const QString url = server.newDatabase();
    QTemporaryDir home;
    QVERIFY(home.isValid());

    // One station is told the server by --store, the other by its setting.
    const QString settingsDir = home.filePath(QStringLiteral("config/ACARS Corvane"));
    QVERIFY(QDir().mkpath(settingsDir));
    QFile conf(settingsDir + QStringLiteral("/ACARS Corvane.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[Store]\nUrl=" + url.toUtf8() + "\n");
    conf.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

    const quint16 ports[2] = {test::AcarsdecFeed::freePort(), test::AcarsdecFeed::freePort()};
    std::unique_ptr<QProcess> stations[2];
    for (int i = 0; i < 2; ++i) {
        stations[i] = std::make_unique<QProcess>();
        stations[i]->setProcessEnvironment(env);
        QStringList args{QStringLiteral("--data-dir"), home.filePath(QString::number(i))};
        if (i == 0)
            args << QStringLiteral("--store") << url;
        args << QStringLiteral("live") << QStringLiteral("--type") << QStringLiteral("acarsdec")
             << QStringLiteral("--listen") << QStringLiteral("udp:127.0.0.1:%1").arg(ports[i]);
        stations[i]->start(QStringLiteral(CORVANE_BINARY), args);
        QVERIFY(stations[i]->waitForStarted());
        QVERIFY(stations[i]->waitForReadyRead(30000)); // "recording ..."
    }
    PgConnection db;
    db.open(ServerUrl::parse(url));

    test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 0, 300);
    test::AcarsdecFeed::send(ports[1], QStringLiteral("TWO"), 0, 300);
    QVERIFY(waitForCount(db, 600));

    // The server goes away: the first station holds what it receives...
    QVERIFY(server.stop());
    test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 300, 100);
    QElapsedTimer clock;
    clock.start();
    QByteArray said;
    while (!said.contains("holding") && clock.elapsed() < 30000) {
        stations[0]->waitForReadyRead(500);
        said += stations[0]->readAllStandardError();
    }
    QVERIFY2(said.contains("holding"), said.constData());
    // ...and stores it once the server is back.
    QVERIFY(server.restart());
    test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 400, 10);
    db.close();
    db.open(ServerUrl::parse(url));
    QVERIFY(waitForCount(db, 710));

    // A log file imported from a third machine lands in the same store.
    QProcess import;
    import.setProcessEnvironment(env);
    import.start(QStringLiteral(CORVANE_BINARY),
                 {QStringLiteral("--data-dir"), home.filePath(QStringLiteral("2")),
                  QStringLiteral("import"), QStringLiteral("--decoder"), QStringLiteral("SkySpy"),
                  QStringLiteral(CORVANE_TEST_DATA "/samples/skyspy.log")});
    QVERIFY(import.waitForFinished(60000));
    QVERIFY2(import.exitCode() == 0, import.readAllStandardError().constData());
    QVERIFY(import.readAllStandardOutput().contains(": 3 stored"));

    for (auto &station : stations) {
        ::kill(pid_t(station->processId()), SIGINT);
        QVERIFY(station->waitForFinished(30000));
        QVERIFY2(station->exitCode() == 0, station->readAllStandardError().constData());
    }
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage WHERE mText LIKE 'ONE message %'"), 410);
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage WHERE mText LIKE 'TWO message %'"), 300);
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage"), 713);
    // Both registers equal a recount of the messages, case folded.
    const QByteArray pairsOff =
        "SELECT count(*) FROM (SELECT upper(Registration) r, upper(Flight) f, FirstHeard, "
        "LastHeard, TimesHeard FROM ACARSLOG EXCEPT SELECT upper(mReg), upper(mFlight), "
        "min(mTime), max(mTime), count(*) FROM tMessage GROUP BY upper(mReg), upper(mFlight)) d";
    QCOMPARE(single(db, pairsOff), 0);
    QCOMPARE(single(db, "SELECT count(*) FROM ACARSLOG"),
             single(db, "SELECT count(DISTINCT (upper(mReg), upper(mFlight))) FROM tMessage"));
    const QByteArray aircraftOff =
        "SELECT count(*) FROM (SELECT upper(Registration), FirstHeard, LastHeard, TimesHeard "
        "FROM UniqueAircraft EXCEPT SELECT upper(mReg), min(mTime), max(mTime), count(*) "
        "FROM tMessage GROUP BY upper(mReg)) d";
    QCOMPARE(single(db, aircraftOff), 0);
    QCOMPARE(single(db, "SELECT count(*) FROM UniqueAircraft"),
             single(db, "SELECT count(DISTINCT upper(mReg)) FROM tMessage"));

    // The figures, the search, the statistics, the export and the alerts
    // read the server too; other commands say they do not yet, and the
    // files stay untouched.
    const auto corvane = [&](const QStringList &args, QByteArray *err = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CORVANE_BINARY),
                QStringList{QStringLiteral("--data-dir"), home.filePath(QStringLiteral("3"))} +
                    args);
        p.waitForFinished(60000);
        if (err)
            *err = p.readAllStandardError();
        return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray("failed");
    };
    const QByteArray info = corvane({QStringLiteral("info")});
    QVERIFY2(info.contains("messages: 713\n") && info.contains("server: "), info.constData());
    const QByteArray found = corvane({QStringLiteral("search"), QStringLiteral("two MESSAGE 129"),
                                      QStringLiteral("--limit"), QStringLiteral("5")});
    QCOMPARE(found.count('\n'), 1);
    QVERIFY(found.contains("TWO message 129\n"));
    QVERIFY(corvane({QStringLiteral("stats")}).contains("Total Records: 713\n"));
    const QByteArray labels = corvane({QStringLiteral("stats"), QStringLiteral("--by=label")});
    QVERIFY2(labels.contains("\nH1,710\n"), labels.constData());
    const QString csv = home.filePath(QStringLiteral("out.csv"));
    QCOMPARE(corvane({QStringLiteral("export"), QStringLiteral("--csv"), csv,
                      QStringLiteral("--reg"), QStringLiteral("n123ab")}),
             QByteArray("142 messages written to ") + csv.toUtf8() + '\n');
    QCOMPARE(corvane({QStringLiteral("alerts"), QStringLiteral("list")}), QByteArray());
    const QString text = home.filePath(QStringLiteral("out.txt"));
    QCOMPARE(corvane({QStringLiteral("text-file"), text, QStringLiteral("--reg"),
                      QStringLiteral("N123AB")}),
             QByteArray("142 messages written to ") + text.toUtf8() + '\n');
    QDir().mkpath(home.filePath(QStringLiteral("3")));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_SHIPPED_REPORTS "/allbyreg.rpt"),
                        home.filePath(QStringLiteral("3/allbyreg.rpt"))));
    const QString pdf = home.filePath(QStringLiteral("out.pdf"));
    const QByteArray printed =
        corvane({QStringLiteral("report"), QStringLiteral("allbyreg"), QStringLiteral("--reg"),
                 QStringLiteral("n123ab"), QStringLiteral("--pdf"), pdf});
    QVERIFY2(printed.endsWith(" pages written to " + pdf.toUtf8() + '\n'), printed.constData());

    // A live pass replayed from a file records into the server too.
    QFile replay(home.filePath(QStringLiteral("replay.json")));
    QVERIFY(replay.open(QIODevice::WriteOnly));
    replay.write("{\"timestamp\":1765000000,\"station_id\":\"R\",\"freq\":131.725,"
                 "\"mode\":\"2\",\"label\":\"H1\",\"block_id\":\"4\",\"tail\":\".G-REPL\","
                 "\"flight\":\"BA9\",\"msgno\":\"M01A\",\"text\":\"replayed\"}\n");
    replay.close();
    const QByteArray replayed = corvane({QStringLiteral("parse-live"), QStringLiteral("--type"),
                                         QStringLiteral("acarsdec"), replay.fileName()});
    QVERIFY2(replayed.contains(": 1 stored,"), replayed.constData());
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage WHERE mText = 'replayed'"), 1);
    QCOMPARE(single(db, "SELECT count(*) FROM UniqueAircraft WHERE Registration = 'G-REPL'"), 1);

    // A backup of the server's store is a data folder of its own.
    const QString backup = home.filePath(QStringLiteral("backup"));
    const QByteArray backedUp = corvane({QStringLiteral("backup"), backup});
    QCOMPARE(backedUp.count("backed up "), 3);
    {
        Store copy;
        copy.openForReading(backup);
        QCOMPARE(StoreStatistics(copy).figures().messages, qint64(714));
        QCOMPARE(StoreStatistics(copy).figures().heardPairs,
                 single(db, "SELECT count(*) FROM ACARSLOG"));
    }

    // The clean-ups: the earliest message of each pair stays, with
    // messages of no pair; the kept counts follow (the registers keep how
    // often each pair was heard); then nothing is left.
    const auto left = single(db, "SELECT count(DISTINCT (upper(mReg), upper(mFlight))) "
                                 "FROM tMessage WHERE mReg <> '' AND mFlight <> ''") +
                      single(db, "SELECT count(*) FROM tMessage "
                                 "WHERE coalesce(mReg, '') = '' OR coalesce(mFlight, '') = ''");
    QCOMPARE(corvane({QStringLiteral("remove-duplicates"), QStringLiteral("--yes")}),
             QByteArray::number(714 - left) + " duplicate messages removed, " +
                 QByteArray::number(left) + " left\n");
    QCOMPARE(single(db, "SELECT sum(Messages) FROM MessagesByHour"), left);
    QCOMPARE(corvane({QStringLiteral("delete-all"), QStringLiteral("--yes")}),
             QByteArray::number(left) + " messages deleted\n");
    QVERIFY(corvane({QStringLiteral("info")}).contains("messages: 0\n"));
    QVERIFY(corvane({QStringLiteral("compact")}).contains("nothing to compact"));
    QVERIFY(!QFile::exists(home.filePath(QStringLiteral("3/acarslog.db"))));
}

// A station stopped while the server is away keeps what it held in its data
// folder; the next start stores it, once, and the file goes.
void ServerStationsTest::heldMessagesOutliveAStop()
{
    test::ThrowawayServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.whyNot()));
    const QString url = server.newDatabase();
    QTemporaryDir home;
    const QString dataDir = home.filePath(QStringLiteral("station"));
    const QString kept = dataDir + QStringLiteral("/held-messages.dat");
    const quint16 port = test::AcarsdecFeed::freePort();
    const auto startStation = [&] {
        auto station = std::make_unique<QProcess>();
        station->start(QStringLiteral(CORVANE_BINARY),
                       {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--store"), url,
                        QStringLiteral("live"), QStringLiteral("--type"),
                        QStringLiteral("acarsdec"), QStringLiteral("--listen"),
                        QStringLiteral("udp:127.0.0.1:%1").arg(port)});
        return station;
    };
    const auto stopStation = [](QProcess &station) {
        ::kill(pid_t(station.processId()), SIGINT);
        return station.waitForFinished(30000);
    };

    auto station = startStation();
    QVERIFY(station->waitForReadyRead(30000));
    PgConnection db;
    db.open(ServerUrl::parse(url));
    test::AcarsdecFeed::send(port, QStringLiteral("ONE"), 0, 50);
    QVERIFY(waitForCount(db, 50));
    db.close();

    QVERIFY(server.stop());
    test::AcarsdecFeed::send(port, QStringLiteral("ONE"), 50, 30);
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (!said.contains("holding 30 messages") && clock.elapsed() < 30000) {
        station->waitForReadyRead(500);
        said += station->readAllStandardError();
    }
    QVERIFY2(said.contains("holding 30 messages"), said.constData());
    QVERIFY2(!said.contains("are held"), said.constData()); // one count, not two
    QVERIFY(stopStation(*station));
    said += station->readAllStandardError();
    QCOMPARE(station->exitCode(), 1);
    QVERIFY2(said.contains("30 messages held for the store were not stored") &&
                 said.contains("kept in " + kept.toUtf8()),
             said.constData());
    QVERIFY(QFile::exists(kept));

    QVERIFY(server.restart());
    station = startStation();
    QVERIFY(station->waitForReadyRead(30000));
    db.open(ServerUrl::parse(url));
    QVERIFY(waitForCount(db, 80));
    QVERIFY(!QFile::exists(kept));
    QVERIFY(stopStation(*station));
    const QByteArray told = station->readAllStandardError();
    QVERIFY2(station->exitCode() == 0, told.constData());
    QVERIFY2(told.contains("30 messages kept by the last run stored"), told.constData());
    QCOMPARE(single(db, "SELECT count(*) FROM tMessage"), 80);
    QCOMPARE(single(db, "SELECT count(DISTINCT mText) FROM tMessage"), 80);
    QCOMPARE(single(db, "SELECT sum(TimesHeard) FROM ACARSLOG"), 80);
    QCOMPARE(single(db, "SELECT sum(Messages) FROM MessagesByHour"), 80);
    QCOMPARE(single(db, "SELECT count(*) FROM FeedDetails"), 80);
}

QTEST_GUILESS_MAIN(ServerStationsTest)
#include "tst_serverstations.moc"
