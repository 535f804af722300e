#include "BenchSupport.h"
#include "CorvaneRun.h"
#include "formats/DecoderStream.h"
#include "recording/RecorderThread.h"
#include "reports/core/ReportDefinitionParser.h"
#include "reports/core/ReportError.h"
#include "store/MessageRecorder.h"
#include "store/MessageView.h"
#include "store/MessageViewWorker.h"
#include "store/PgConnection.h"
#include "store/Recorder.h"
#include "store/ReferenceFileLines.h"
#include "store/ServerUrl.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "support/AcarsdecFeed.h"
#include "support/MessageRecords.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <latch>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using corvane::test::CorvaneRun;

// The store under faults a careful user or a hostile file system brings:
// outputs aimed at the store, an empty folder name, read-only stores, a full
// disk, two processes creating one store at once and commands run beside a
// window that holds it open.
class StoreFaultsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void outputsNeverOverwriteTheStore_data();
    void outputsNeverOverwriteTheStore();
    void emptyDataFolderIsAUsageError_data();
    void emptyDataFolderIsAUsageError();
    void readOnlyStoreIsRead();
    void fullDiskCountsOnlyWhatWasCommitted();
    void serverLostMidImportGoesOnLater();
    void pausedServerLetsTheStationStop();
    void storeOnAFullDiskIsRead_data();
    void storeOnAFullDiskIsRead();
    void concurrentCreationOfOneStore();
    void concurrentCreationOnThreads();
    void commandsBesideTheWindowKeepItsLog();
    void storeFilesAreNotReadAsInput_data();
    void storeFilesAreNotReadAsInput();

private:
    QString importedStore();
    QString programForOthers();
    static qint64 count(const QString &dbPath, const char *sql);
    static QByteArray digest(const QString &path);
    // "not read past record R", "records 1 to S are stored": R (0 when the
    // whole file was read) and S.
    static std::pair<qint64, qint64> stoppedAt(const QByteArray &err);

    std::unique_ptr<test::TestEnvironment> m_env;
};

void StoreFaultsTest::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
}

QString StoreFaultsTest::importedStore()
{
    const QString dir = m_env->newDataDir();
    const auto r = CorvaneRun::run({"--data-dir", dir, "import", "--decoder", "AirNav",
                                    test::TestEnvironment::fixture("airnav-two-records.log")});
    if (r.status != 0)
        qWarning("import failed: %s", r.err.constData());
    return dir;
}

qint64 StoreFaultsTest::count(const QString &dbPath, const char *sql)
{
    SqliteDb db;
    db.open(dbPath, SqliteDb::Mode::ReadOnly);
    SqliteStatement st(db, sql);
    return st.step() ? st.int64(0) : -1;
}

QByteArray StoreFaultsTest::digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void StoreFaultsTest::outputsNeverOverwriteTheStore_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("the message database") << "direct";
    QTest::newRow("through ./ and ../") << "dotted";
    QTest::newRow("the routes database") << "routes";
    QTest::newRow("a -wal companion") << "wal";
    QTest::newRow("a -shm companion") << "shm";
    QTest::newRow("a link to the database") << "symlink";
    QTest::newRow("a dangling link to the -wal file") << "dangling";
    QTest::newRow("a linked folder") << "linkedfolder";
    QTest::newRow("a hard link") << "hardlink";
}

void StoreFaultsTest::outputsNeverOverwriteTheStore()
{
    QFETCH(QString, how);
    const QString dir = importedStore();
    const QString db = dir + "/acarslog.db";
    const QString elsewhere = m_env->newDataDir();
    const QString link = elsewhere + "/out.txt";
    QString out = link;
    if (how == "direct") {
        out = db;
    } else if (how == "dotted") {
        QDir(dir).mkdir("sub");
        out = dir + "/./sub/../acarslog.db";
    } else if (how == "routes") {
        out = dir + "/routes.db";
    } else if (how == "wal" || how == "shm") {
        out = db + "-" + how;
    } else if (how == "symlink") {
        QVERIFY(QFile::link(db, link));
    } else if (how == "dangling") {
        QVERIFY(QFile::link(db + "-wal", link));
    } else if (how == "linkedfolder") {
        QVERIFY(QFile::link(dir, elsewhere + "/data"));
        out = elsewhere + "/data/acarslog.db";
    } else if (how == "hardlink") {
        QCOMPARE(::link(QFile::encodeName(db), QFile::encodeName(link)), 0);
    }
    const QByteArray before = digest(db);

    const auto r = CorvaneRun::run({"--data-dir", dir, "text-file", out});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("is a file of the store"), r.err.constData());
    QCOMPARE(digest(db), before);
    QVERIFY(!QFileInfo::exists(db + "-wal") || how != "dangling");
    const auto info = CorvaneRun::run({"--data-dir", dir, "info"});
    QCOMPARE(info.status, 0);
    QVERIFY(info.out.contains("messages: 2\n"));

    // Anywhere else is written as before.
    const auto ok = CorvaneRun::run({"--data-dir", dir, "text-file", elsewhere + "/list.txt"});
    QCOMPARE(ok.status, 0);
    QVERIFY(QFileInfo(elsewhere + "/list.txt").size() > 0);
}

void StoreFaultsTest::emptyDataFolderIsAUsageError_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("env");
    QTest::newRow("--data-dir \"\"") << QStringList{"--data-dir", "", "info"} << QStringList{};
    QTest::newRow("--data-dir=") << QStringList{"--data-dir=", "info"} << QStringList{};
    QTest::newRow("CORVANE_DATA_DIR=") << QStringList{"info"} << QStringList{"CORVANE_DATA_DIR="};
    QTest::newRow("empty option wins over a folder in the variable")
        << QStringList{"--data-dir", "", "import", "x.log"}
        << QStringList{"CORVANE_DATA_DIR=" + m_env->path("unused")};
}

void StoreFaultsTest::emptyDataFolderIsAUsageError()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, env);
    const QString besideBinary = QFileInfo(QStringLiteral(CORVANE_BINARY)).absolutePath();
    const bool hadStore = QFileInfo::exists(besideBinary + "/acarslog.db");
    const auto r = CorvaneRun::run(args, env);
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains("empty"), r.err.constData());
    QVERIFY(r.out.isEmpty());
    if (!hadStore)
        QVERIFY(!QFileInfo::exists(besideBinary + "/acarslog.db"));
    QVERIFY(!QFileInfo::exists(m_env->path("unused")));
}

namespace
{
// Files of another user: as root, the program runs as nobody; otherwise
// the write bits are enough.
void runAsNobodyWhenRoot()
{
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(99);
}

void openPathForOthers(const QString &path)
{
    // Every folder down to the store must be passable by the other user.
    for (QDir d(path); !d.isRoot(); d.cdUp())
        if (d.absolutePath().startsWith(QDir::tempPath() + u'/'))
            QFile::setPermissions(d.absolutePath(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                      QFileDevice::ExeGroup);
}

// Whether the other user can run the program: not from a clone in a home
// folder only its owner may enter (/root).
bool othersCanRun(const QString &program)
{
    if (::geteuid() != 0)
        return true;
    const QByteArray path = QFile::encodeName(program);
    const pid_t child = ::fork();
    if (child == 0) {
        runAsNobodyWhenRoot();
        ::_exit(::access(path.constData(), X_OK) == 0 ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void makeReadOnly(const QString &dir)
{
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files))
        QFile::setPermissions(f.absoluteFilePath(), readOnly);
    QFile::setPermissions(dir, readOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                   QFileDevice::ExeOther);
}
} // namespace

QString StoreFaultsTest::programForOthers()
{
    const QString built = QStringLiteral(CORVANE_BINARY);
    if (othersCanRun(built))
        return built;
    const QString folder = m_env->newDataDir();
    const QString copy = folder + "/corvane";
    if (!QFile::copy(built, copy))
        return {};
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    openPathForOthers(folder);
    return othersCanRun(copy) ? copy : QString();
}

void StoreFaultsTest::readOnlyStoreIsRead()
{
    const QString program = programForOthers();
    if (program.isEmpty())
        QSKIP("the user nobody can reach neither the program nor a copy in the temporary folder");
    const QString dir = importedStore();
    const QString empty = m_env->newDataDir();
    const QString outDir = m_env->newDataDir();
    makeReadOnly(dir);
    makeReadOnly(empty);
    openPathForOthers(dir);
    openPathForOthers(empty);
    openPathForOthers(outDir);
    QFile::setPermissions(outDir, QFileDevice::Permissions(0x7777));
    const QStringList env{"XDG_CONFIG_HOME=" + outDir, "HOME=" + outDir};

    const auto info =
        CorvaneRun::runProgram(program, {"--data-dir", dir, "info"}, env, runAsNobodyWhenRoot);
    QVERIFY2(info.status == 0, info.err.constData());
    QVERIFY(info.out.contains("messages: 2\n"));
    QVERIFY(info.out.contains("heard aircraft: 2\n"));

    const auto text = CorvaneRun::runProgram(
        program, {"--data-dir", dir, "text-file", outDir + "/list.txt"}, env, runAsNobodyWhenRoot);
    QVERIFY2(text.status == 0, text.err.constData());
    QVERIFY(text.out.startsWith("2 messages written"));
    // Reading wrote nothing beside the store.
    QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 4); // three databases and "new"

    // A store that does not exist cannot be made there: said plainly.
    const auto none =
        CorvaneRun::runProgram(program, {"--data-dir", empty, "info"}, env, runAsNobodyWhenRoot);
    QCOMPARE(none.status, 1);
    QVERIFY2(none.err.contains("cannot be written"), none.err.constData());
    QVERIFY(QDir(empty).entryList(QDir::Files).isEmpty());
}

std::pair<qint64, qint64> StoreFaultsTest::stoppedAt(const QByteArray &err)
{
    const QRegularExpression read(QStringLiteral("not read past record (\\d+)"));
    const QRegularExpression stored(QStringLiteral("records 1 to (\\d+) are stored"));
    const QString text = QString::fromUtf8(err);
    return {read.match(text).captured(1).toLongLong(), stored.match(text).captured(1).toLongLong()};
}

void StoreFaultsTest::fullDiskCountsOnlyWhatWasCommitted()
{
    // A file size limit fails SQLite's writes as a full disk would.
    const QString log = m_env->path("full.log");
    QVERIFY(bench::writeSkySpyLog(log, 50000));
    const QString dir = m_env->newDataDir();
    const auto r =
        CorvaneRun::run({"--data-dir", dir, "import", "--decoder", "SkySpy", log}, {}, [] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{6 << 20, 6 << 20};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("messages of the failed batch were not stored"), r.err.constData());

    const QString db = dir + "/acarslog.db";
    QCOMPARE(count(db, "PRAGMA quick_check"), 0); // "ok" reads as 0
    const qint64 messages = count(db, "SELECT count(*) FROM tMessage");
    QVERIFY(messages < 50000);
    const QByteArray summary = log.toUtf8() + ": " + QByteArray::number(messages) + " stored";
    QVERIFY2(r.out.contains(summary), r.out.constData());
    // Every record read is stored or counted with the failed batch, and the
    // log is listed with the records stored.
    auto [read, storedRecords] = stoppedAt(r.err);
    if (read == 0)
        read = 50000;
    const QRegularExpression lost(QStringLiteral(": (\\d+) messages of the failed batch"));
    const qint64 notStored = lost.match(QString::fromUtf8(r.err)).captured(1).toLongLong();
    QCOMPARE(messages + notStored, read);
    QCOMPARE(storedRecords, messages);
    QCOMPARE(count(db, "SELECT coalesce(max(RecordsRead), 0) FROM LOGSPROCESSED"), messages);

    // The new-pairs file lists exactly the committed pairs.
    QFile pairs(dir + "/new");
    QVERIFY(pairs.open(QIODevice::ReadOnly));
    const qint64 listed = pairs.readAll().count('\n') - 2;
    QCOMPARE(listed, count(db, "SELECT count(*) FROM ACARSLOG"));

    // With room again the same import goes on after what was stored.
    const auto again = CorvaneRun::run({"--data-dir", dir, "import", "--decoder", "SkySpy", log});
    QVERIFY2(again.status == 0, again.err.constData());
    if (messages > 0)
        QVERIFY2(again.err.contains("went on from there"), again.err.constData());
    QCOMPARE(count(db, "SELECT count(*) FROM tMessage"), 50000);
    QCOMPARE(count(db, "SELECT count(*) FROM LOGSPROCESSED WHERE RecordsRead IS NULL"), 1);
}

// The server goes away in the middle of a long import: the summary counts
// what the server holds, the log is listed with the records stored, and
// running the import again stores the rest, nothing twice.
void StoreFaultsTest::serverLostMidImportGoesOnLater()
{
    test::ThrowawayServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.whyNot()));
    const QString url = server.newDatabase();
    const QString log = m_env->path("server.log");
    QVERIFY(bench::writeSkySpyLog(log, 200000));
    const QString dir = m_env->newDataDir();
    const QStringList args{"--data-dir", dir, "--store", url, "import", "--decoder", "SkySpy", log};
    QProcess import;
    import.start(QStringLiteral(CORVANE_BINARY), args);
    QVERIFY(import.waitForStarted());
    PgConnection watch;
    watch.open(ServerUrl::parse(url));
    // Counted afresh after the restart, on a new connection.
    const auto stored = [&] {
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                return watch.query("SELECT count(*) FROM tMessage").int64(0, 0);
            } catch (const StoreError &) {
                watch.reconnect();
            }
        }
        return qint64(-1);
    };
    QTRY_VERIFY_WITH_TIMEOUT(stored() >= 20000, 120000);
    QVERIFY(server.stop());
    QVERIFY(import.waitForFinished(300000));
    QCOMPARE(import.exitCode(), 1);
    const QByteArray out = import.readAllStandardOutput(), err = import.readAllStandardError();
    QVERIFY(server.restart());
    const qint64 held = stored();
    QVERIFY2(held > 0 && held < 200000, err.constData());
    QVERIFY2(out.contains(": " + QByteArray::number(held) + " stored"), out.constData());
    const auto [read, storedRecords] = stoppedAt(err);
    QVERIFY2(read > 0 && storedRecords == held, err.constData());

    const auto again = CorvaneRun::run(args, {}, {}, 300000);
    QVERIFY2(again.status == 0, again.err.constData());
    QVERIFY2(again.out.contains(": " + QByteArray::number(200000 - held) + " stored"),
             again.out.constData());
    QCOMPARE(stored(), 200000);
    QCOMPARE(
        watch.query("SELECT count(*) FROM LOGSPROCESSED WHERE RecordsRead IS NULL").int64(0, 0), 1);
}

// A server that stops answering in the middle of a live session: the
// station says so and holds what it receives; SIGTERM then ends it within
// its stop grace, with what it held kept in held-messages.dat.
void StoreFaultsTest::pausedServerLetsTheStationStop()
{
    test::ThrowawayServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.whyNot()));
    const QString url = server.newDatabase();
    const QString dir = m_env->newDataDir();
    QFile settings(dir + "/ACARS Corvane/ACARS Corvane.conf");
    QVERIFY(QDir().mkpath(dir + "/ACARS Corvane"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Store]\nAnswerTimeout=1\n");
    settings.close();
    const quint16 port = test::AcarsdecFeed::freePort();
    QProcess live;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir);
    live.setProcessEnvironment(env);
    live.start(QStringLiteral(CORVANE_BINARY),
               {"--data-dir", dir, "--store", url, "live", "--type", "acarsdec", "--listen",
                QStringLiteral("udp:127.0.0.1:%1").arg(port)});
    QVERIFY(live.waitForStarted());
    QByteArray out, err;
    const auto read = [&] {
        out += live.readAllStandardOutput();
        err += live.readAllStandardError();
    };
    QTRY_VERIFY_WITH_TIMEOUT((read(), out.contains("recording")), 30000);
    int sent = 0;
    const auto send = [&] { test::AcarsdecFeed::send(port, QStringLiteral("held"), sent++, 1); };
    send();
    QTRY_VERIFY_WITH_TIMEOUT((read(), out.contains("1 stored")), 30000);
    QVERIFY(server.pause());
    // Sent until the station says it holds them.
    QTRY_VERIFY_WITH_TIMEOUT((send(), read(), err.contains("did not answer")), 60000);
    live.terminate();
    QVERIFY(live.waitForFinished(40000));
    read();
    QVERIFY(server.resume());
    QVERIFY2(err.contains("kept in"), err.constData());
    QVERIFY(QFile::exists(dir + "/held-messages.dat"));
}

void StoreFaultsTest::storeOnAFullDiskIsRead_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("a file size limit") << false;
    QTest::newRow("a full disk") << true;
}

void StoreFaultsTest::storeOnAFullDiskIsRead()
{
    // Messages still in the write-ahead log, whose shared memory must be
    // made again to read them, where it cannot be: they are read all the
    // same, and a full disk is named, not taken for a damaged file.
    QFETCH(bool, fullDisk);
    const QString dir = m_env->newDataDir();
    if (fullDisk && (::geteuid() != 0 || QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=4m",
                                                                     "tmpfs", dir}) != 0))
        QSKIP("a full disk needs a small file system mounted, which only root may do");
    const auto unmount = qScopeGuard([&] {
        if (fullDisk)
            QProcess::execute("umount", {dir});
    });
    const QString source = m_env->newDataDir();
    Store store;
    store.open(source);
    MessageRecorder recorder(store);
    for (int i = 0; i < 50; ++i)
        recorder.storeMessage(
            test::message(QStringLiteral("G-F%1").arg(i), "BA1", "08/12/2026 10:00"), nullptr);
    recorder.commitBatch();
    for (const char *file : {"acarslog.db", "routes.db", "Alerts.db"})
        for (const char *suffix : {"", "-wal"})
            QVERIFY(QFile::copy(source + '/' + file + suffix, dir + '/' + file + suffix));
    if (fullDisk) {
        QFile filler(dir + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'x');
        while (filler.write(page) == page.size() && filler.flush()) {
        }
    }

    const auto info = CorvaneRun::run({"--data-dir", dir, "info"}, {}, [fullDisk] {
        if (fullDisk)
            return;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    QVERIFY2(info.status == 0, info.err.constData());
    QVERIFY2(info.out.contains("messages: 50\n"), info.out.constData());
    if (fullDisk)
        QVERIFY2(info.err.contains("is full"), info.err.constData());
}

void StoreFaultsTest::concurrentCreationOfOneStore()
{
    const QString log = test::TestEnvironment::fixture("airnav-two-records.log");
    for (int round = 0; round < 8; ++round) {
        const QString dir = m_env->newDataDir();
        QProcess a, b;
        for (QProcess *p : {&a, &b})
            p->start(QStringLiteral(CORVANE_BINARY),
                     {"--data-dir", dir, "import", "--decoder", "AirNav", log});
        for (QProcess *p : {&a, &b}) {
            QVERIFY(p->waitForFinished(60000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        QCOMPARE(count(dir + "/acarslog.db", "SELECT count(*) FROM tMessage"), 4);
        QCOMPARE(count(dir + "/Alerts.db", "SELECT count(*) FROM ALERTS"), 0);
    }
}

void StoreFaultsTest::concurrentCreationOnThreads()
{
    // The same race, with the two openings lined up as closely as can be.
    for (int round = 0; round < 20; ++round) {
        const QString dir = m_env->newDataDir();
        std::latch start(2);
        QString failures[2];
        auto open = [&](int i) {
            start.arrive_and_wait();
            try {
                Store store;
                store.open(dir);
            } catch (const StoreError &e) {
                failures[i] = e.message();
            }
        };
        std::thread a(open, 0), b(open, 1);
        a.join();
        b.join();
        QVERIFY2(failures[0].isEmpty(), qPrintable(failures[0]));
        QVERIFY2(failures[1].isEmpty(), qPrintable(failures[1]));
    }
}

void StoreFaultsTest::commandsBesideTheWindowKeepItsLog()
{
    // This process holds the store as the window does: its own connections,
    // the recorder thread's and the view worker's, opened one after another.
    // Another program that took them for gone would remove the write-ahead
    // logs when it closes, and what is recorded next would reach no file.
    const QString dir = m_env->newDataDir();
    Store window;
    window.open(dir);
    RecorderThread recorder;
    QVERIFY(recorder.start(dir));
    MessageViewWorker views(window);
    qint64 stored = 0;
    for (int round = 0; round < 10; ++round) {
        recorder.submit([round](RecorderJobContext &c) {
            for (int i = 0; i < 20; ++i)
                c.recorder.storeMessage(test::message(QStringLiteral("G-R%1").arg(round),
                                                      QStringLiteral("BA%1").arg(i),
                                                      QStringLiteral("08/12/2026 10:00")),
                                        nullptr);
            c.recorder.commitBatch();
        });
        recorder.drain();
        stored += 20;
        views.request(MessageView::all());
        QVERIFY(views.waitForLatest(60000));
        QCOMPARE(views.takeLatest()->computed.count, stored);

        const auto info = CorvaneRun::run({"--data-dir", dir, "info"});
        QVERIFY2(info.out.contains("messages: " + QByteArray::number(stored) + '\n'),
                 info.out.constData());
        const auto alerts = CorvaneRun::run({"--data-dir", dir, "alerts", "log"});
        QVERIFY2(alerts.status == 0, alerts.err.constData());
        for (const char *file : {"acarslog.db", "routes.db", "Alerts.db"})
            for (const char *suffix : {"-wal", "-shm"}) {
                const QString path = dir + '/' + file + suffix;
                QVERIFY2(QFileInfo::exists(path),
                         qPrintable(QStringLiteral("round %1: %2 is gone").arg(round).arg(path)));
            }
    }
}

void StoreFaultsTest::storeFilesAreNotReadAsInput_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("file");
    QTest::newRow("the message file as a log") << "log"
                                               << "acarslog.db";
    QTest::newRow("a write-ahead log as an aircraft list") << "list"
                                                           << "Alerts.db-wal";
    QTest::newRow("a link to shared memory as a report") << "report"
                                                         << "link to routes.db-shm";
}

void StoreFaultsTest::storeFilesAreNotReadAsInput()
{
    // Reading a file of a store this process has open would drop its locks
    // as surely as the store's own opening did.
    QFETCH(QString, reader);
    QFETCH(QString, file);
    const QString dir = m_env->newDataDir();
    Store window;
    window.open(dir);
    QString path = dir + '/' + file;
    if (file.startsWith("link to ")) {
        path = m_env->newDataDir() + "/report.rpt";
        QVERIFY(QFile::link(dir + '/' + file.mid(8), path));
    }
    QString why;
    if (reader == "log") {
        DecoderStream stream;
        QVERIFY(!stream.openFile(path, &why));
    } else if (reader == "list") {
        try {
            ReferenceFileLines lines(path);
        } catch (const StoreError &e) {
            why = e.message();
        }
    } else {
        try {
            ReportDefinitionParser::load(path);
        } catch (const ReportError &e) {
            why = e.text();
        }
    }
    QVERIFY2(why.contains("is a file of the store"), qPrintable(why));

    const auto alerts = CorvaneRun::run({"--data-dir", dir, "alerts", "log"});
    QVERIFY2(alerts.status == 0, alerts.err.constData());
    for (const char *name : {"acarslog.db-wal", "routes.db-shm", "Alerts.db-wal"})
        QVERIFY2(QFileInfo::exists(dir + '/' + name), name);
}

QTEST_GUILESS_MAIN(StoreFaultsTest)
#include "tst_storefaults.moc"
