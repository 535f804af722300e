#include "BenchSupport.h"
#include "CorvaneRun.h"
#include "StoreConsistency.h"
#include "app/BackupController.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/MainWindowLauncher.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace corvane;
using corvane::test::CorvaneRun;
using corvane::test::StoreConsistency;

// corvane backup and File > Backup...: whole, consistent copies, taken while
// recording goes on, and never into the data folder.
class BackupTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void copiesTheThreeFiles();
    void refusesTheDataFolder();
    void copyDuringAnImportIsConsistent();
    void backupFromTheWindow();
    void readOnlyWindow();

private:
    QString importedStore();
    std::unique_ptr<test::TestEnvironment> m_env;
};

void BackupTest::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    Dialogs::setUnattended(true);
}

QString BackupTest::importedStore()
{
    const QString dir = m_env->newDataDir();
    CorvaneRun::run({"--data-dir", dir, "import", "--decoder", "AirNav",
                     test::TestEnvironment::fixture("airnav-two-records.log")});
    return dir;
}

void BackupTest::copiesTheThreeFiles()
{
    const QString dir = importedStore();
    const QString target = m_env->path("backups/first");
    const auto r = CorvaneRun::run({"--data-dir", dir, "backup", target});
    QVERIFY2(r.status == 0, r.err.constData());
    QStringList files = QDir(target).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, (QStringList{"Alerts.db", "acarslog.db", "routes.db"}));
    QCOMPARE(StoreConsistency::problems(target), QString());
    QCOMPARE(StoreConsistency::messageCount(target), 2);
    // The copy is a store of its own.
    const auto info = CorvaneRun::run({"--data-dir", target, "info"});
    QVERIFY(info.out.contains("messages: 2\n"));

    // Taken again into the same folder, it replaces the older copy.
    CorvaneRun::run({"--data-dir", dir, "import", "--decoder", "AirNav",
                     test::TestEnvironment::fixture("airnav-two-records.log")});
    QCOMPARE(CorvaneRun::run({"--data-dir", dir, "backup", target}).status, 0);
    QCOMPARE(StoreConsistency::messageCount(target), 4);
    // (Reading the copy above may have left its -wal and -shm beside it.)
    QVERIFY(QDir(target).entryList(QDir::Files).filter(".partial").isEmpty());
}

void BackupTest::refusesTheDataFolder()
{
    const QString dir = importedStore();
    QVERIFY(QFile::link(dir, m_env->path("alias")));
    for (const QString &target : {dir, dir + "/.", m_env->path("alias")}) {
        const auto r = CorvaneRun::run({"--data-dir", dir, "backup", target});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("data folder") || r.err.contains("file of the store"),
                 r.err.constData());
    }
    QCOMPARE(StoreConsistency::messageCount(dir), 2);
    QCOMPARE(CorvaneRun::run({"--data-dir", dir, "backup"}).status, 2);
}

void BackupTest::copyDuringAnImportIsConsistent()
{
    const QString log = m_env->path("traffic.log");
    QVERIFY(bench::writeSkySpyLog(log, 150000));
    const QString dir = m_env->newDataDir();
    QProcess import;
    import.start(QStringLiteral(CORVANE_BINARY),
                 {"--data-dir", dir, "import", "--decoder", "SkySpy", log});
    QVERIFY(import.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(StoreConsistency::messageCount(dir) > 0, 30000);

    const QString target = m_env->path("backups/during");
    const auto r = CorvaneRun::run({"--data-dir", dir, "backup", target});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY(import.waitForFinished(300000));
    QCOMPARE(import.exitCode(), 0);

    QCOMPARE(StoreConsistency::problems(target), QString());
    const qint64 copied = StoreConsistency::messageCount(target);
    QVERIFY(copied > 0);
    QVERIFY(copied <= 150000);
    QCOMPARE(StoreConsistency::messageCount(dir), 150000);
}

void BackupTest::backupFromTheWindow()
{
    const QString dir = importedStore();
    Store store;
    store.open(dir);
    MainWindow window(store);
    BackupController controller(window);
    QAction *item = window.menuItem("mnuFileBackup");
    QVERIFY(item && item->isEnabled());

    // Into the data folder: refused, said so.
    Dialogs::queueFiles({dir});
    item->trigger();
    QVERIFY(Dialogs::shownMessages().last().contains("data folder"));

    const QString target = m_env->path("backups/window");
    Dialogs::queueFiles({target});
    item->trigger();
    QVERIFY(Dialogs::shownMessages().last().startsWith("Backup complete"));
    QCOMPARE(StoreConsistency::messageCount(target), 2);
    QCOMPARE(StoreConsistency::problems(target), QString());
}

void BackupTest::readOnlyWindow()
{
    // (Root writes anyway, so the store is opened read-only directly.)
    const QString dir = importedStore();
    Store store;
    store.openForReading(dir);
    QVERIFY(store.isReadOnly());
    MainWindow window(store);
    window.startUp();
    MainWindowLauncher::showReadOnly(window);
    QVERIFY(!window.importButton()->isEnabled());
    QVERIFY(!window.liveButton()->isEnabled());
    QVERIFY(!window.menu("mnuDatabase")->isEnabled());
    QVERIFY(window.panelText(1).startsWith("Read-only store"));
    // A backup only reads.
    BackupController controller(window);
    const QString target = m_env->path("backups/readonly");
    Dialogs::queueFiles({target});
    window.menuItem("mnuFileBackup")->trigger();
    QCOMPARE(StoreConsistency::messageCount(target), 2);
}

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
