// Two live stations and the desktop's window on one store on a server, as
// on three machines: both stations record, the window shows what both
// record without being told, and its registers are true.

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/MainWindowLauncher.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageDetailPanel.h"
#include "browse/MessageGridModel.h"
#include "browse/RegisterBrowser.h"
#include "browse/StatisticsTab.h"
#include "browse/TableGridModel.h"
#include "recording/RecorderThread.h"
#include "reports/ReportPreview.h"
#include "reports/ReportsController.h"
#include "store/MessageView.h"
#include "store/PgConnection.h"
#include "store/ServerSearch.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreBackup.h"
#include "store/StoreChangeWatcher.h"
#include "support/AcarsdecFeed.h"
#include "support/TestEnvironment.h"
#include "support/ThrowawayServer.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTableView>
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

QStringList rows(PgConnection &db, const QByteArray &sql)
{
    const PgResult result = db.query(sql);
    QStringList out;
    for (int r = 0; r < result.rows(); ++r) {
        QStringList fields;
        for (int c = 0; c < result.columns(); ++c)
            fields << QString::fromUtf8(result.value(r, c));
        out << fields.join(u'|');
    }
    return out;
}

QString text(const QAbstractItemModel *model, int row, int column)
{
    return model->data(model->index(row, column)).toString();
}

} // namespace

class ServerWindowTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;

    static bool shown(MessageBrowser &browser, const MessageView &view)
    {
        bool applied = false;
        browser.setView(view, [&applied] { applied = true; });
        QDeadlineTimer deadline(15000);
        while (!applied && !deadline.hasExpired())
            QTest::qWait(20);
        return applied;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        Dialogs::setUnattended(true);
    }

    void twoStationsAndAWindowShareOneStore()
    {
        test::ThrowawayServer server;
        if (!server.isRunning())
            QSKIP(qPrintable(server.whyNot()));
        const QString url = server.newDatabase();

        // The window first: it makes the tables the stations then find.
        const QString windowDir = env.newDataDir();
        Store store;
        store.openServer(windowDir, ServerUrl::parse(url));
        RecorderThread recorder;
        QVERIFY(recorder.start(windowDir, url));
        MainWindow window(store);
        MessageBrowser browser(window, store);
        MessageDetailPanel detail(window, store, browser);
        RegisterBrowser registers(window, store, recorder);
        StatisticsTab statistics(window, store);
        StoreChangeWatcher watcher(store);
        MainWindowLauncher::followOtherWriters(window, recorder, watcher);
        window.resize(1200, 800);
        window.startUp();

        const quint16 ports[2] = {test::AcarsdecFeed::freePort(), test::AcarsdecFeed::freePort()};
        std::unique_ptr<QProcess> stations[2];
        for (int i = 0; i < 2; ++i) {
            stations[i] = std::make_unique<QProcess>();
            stations[i]->start(
                QStringLiteral(CORVANE_BINARY),
                {QStringLiteral("--data-dir"), env.newDataDir(), QStringLiteral("--store"), url,
                 QStringLiteral("live"), QStringLiteral("--type"), QStringLiteral("acarsdec"),
                 QStringLiteral("--listen"), QStringLiteral("udp:127.0.0.1:%1").arg(ports[i])});
            QVERIFY(stations[i]->waitForStarted());
            QVERIFY(stations[i]->waitForReadyRead(30000)); // "recording ..."
        }
        test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 0, 150);
        test::AcarsdecFeed::send(ports[1], QStringLiteral("TWO"), 0, 150);

        // The window follows both stations by itself.
        MessageGridModel *model = browser.model();
        QDeadlineTimer deadline(30000);
        while (model->recordCount() != 300 && !deadline.hasExpired())
            QTest::qWait(100);
        QCOMPARE(Dialogs::shownMessages().join(u'|'), QString());
        QCOMPARE(model->recordCount(), qint64(300));
        int fromOne = 0, fromTwo = 0;
        for (int row = 0; row < 300; ++row) {
            const QString message = text(model, row, MessageView::Text);
            fromOne += message.startsWith(QStringLiteral("ONE message"));
            fromTwo += message.startsWith(QStringLiteral("TWO message"));
        }
        QCOMPARE(fromOne, 150);
        QCOMPARE(fromTwo, 150);

        // Its registers equal a recount from the messages, case folded.
        PgConnection db;
        db.open(ServerUrl::parse(url));
        registers.refreshViews();
        QCOMPARE(qint64(registers.pairModel()->rowCount()),
                 single(db, "SELECT count(DISTINCT (upper(mReg), upper(mFlight))) FROM tMessage"));
        QCOMPARE(qint64(registers.aircraftModel()->rowCount()),
                 single(db, "SELECT count(DISTINCT upper(mReg)) FROM tMessage"));
        QCOMPARE(single(db, "SELECT sum(TimesHeard) FROM ACARSLOG"), qint64(300));

        // Filters, an order no index gives, and the search read the server.
        const QString reg = text(model, 0, MessageView::Reg);
        QVERIFY(shown(browser, MessageView::byRegistration(reg.toLower())));
        QCOMPARE(model->recordCount(), qint64(120)); // two of five registrations fold together
        QVERIFY(shown(browser, MessageView::sortedBy(MessageView::Text, true)));
        QCOMPARE(model->recordCount(), qint64(300));
        QCOMPARE(text(model, 0, MessageView::Text), QStringLiteral("TWO message 99"));
        QCOMPARE(text(model, 299, MessageView::Text), QStringLiteral("ONE message 0"));
        QVERIFY(shown(browser, MessageView::all().withSearch(QStringLiteral("two MESSAGE 12"))));
        QCOMPARE(model->recordCount(), qint64(11)); // 12 and 120 to 129
        QCOMPARE(size_t(model->recordCount()),
                 ServerSearch::find(db, QStringLiteral("two MESSAGE 12"), 0).size());

        // The detail panel reads the message chosen.
        window.messageGrid()->setCurrentIndex(model->index(0, 0));
        QTRY_VERIFY(
            window.messageText()->toPlainText().startsWith(QStringLiteral("TWO message 12")));
        statistics.refreshStatistics();
        QCOMPARE(Dialogs::shownMessages().join(u'|'), QString());

        // A report reads the server's store: the preview counts its pages.
        QFile::copy(QStringLiteral(CORVANE_SHIPPED_REPORTS "/unique aircraft.rpt"),
                    QDir(windowDir).filePath(QStringLiteral("unique aircraft.rpt")));
        ReportsController reports(window, store);
        window.menuItem(QStringLiteral("mnuReportsUniqueAircraft"))->trigger();
        QCOMPARE(Dialogs::shownMessages().join(u'|'), QString());
        QVERIFY(reports.lastPreview());
        QTRY_VERIFY_WITH_TIMEOUT(
            reports.lastPreview()->pageCount() > 0 && !reports.lastPreview()->isBusy(), 15000);
        // A backup of the server's store is a data folder of its own.
        const QString backupDir = env.newDataDir();
        StoreBackup backup(store);
        QVERIFY2(backup.copyTo(backupDir), qPrintable(backup.errorText()));
        Store copy;
        copy.openForReading(backupDir);
        QCOMPARE(MessageView::all().count(copy), qint64(300));
        QVERIFY(!QDir(backupDir + QStringLiteral("/.backup-partial")).exists());
        Dialogs::reset();
        Dialogs::setUnattended(true);

        // The server goes away and comes back: the window neither freezes
        // nor falls over meanwhile, and follows the stations again after.
        QVERIFY(shown(browser, MessageView::all()));
        QVERIFY(server.stop());
        for (int row = 0; row < 300; row += 7)
            text(model, row, MessageView::Text);
        browser.setView(MessageView::sortedBy(MessageView::Label));
        registers.refreshViews();
        window.messageGrid()->setCurrentIndex(model->index(5, 0));
        QTest::qWait(1500);
        QVERIFY(server.restart());
        test::AcarsdecFeed::send(ports[1], QStringLiteral("TWO"), 150, 10);
        QVERIFY(shown(browser, MessageView::all()));
        deadline.setRemainingTime(30000);
        while (model->recordCount() != 310 && !deadline.hasExpired())
            QTest::qWait(100);
        QCOMPARE(model->recordCount(), qint64(310));
        QCOMPARE(text(model, 309, MessageView::Text), QStringLiteral("TWO message 159"));

        // A pair and a message deleted in the window while both stations
        // record into the same pairs: the registers and the kept counts
        // still equal a recount from the messages.
        db.reconnect();
        registers.refreshViews();
        QSignalSpy deleted(&registers, &RegisterBrowser::deletionFinished);
        test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 150, 200);
        window.pairGrid()->setCurrentIndex(registers.pairModel()->index(0, 0));
        registers.pairMenu()
            ->findChild<QAction *>(QStringLiteral("mnuFromUniqueDelete"))
            ->trigger();
        test::AcarsdecFeed::send(ports[1], QStringLiteral("TWO"), 160, 200);
        window.messageGrid()->setCurrentIndex(model->index(3, 0));
        window.messageGrid()->findChild<QAction *>("mnuFromAllDelete")->trigger();
        test::AcarsdecFeed::send(ports[0], QStringLiteral("ONE"), 350, 100);
        QTRY_COMPARE_WITH_TIMEOUT(deleted.count(), 2, 15000);
        QVERIFY2(Dialogs::shownMessages().count(QStringLiteral("Record deleted")) == 2,
                 qPrintable(
                     Dialogs::shownMessages().mid(Dialogs::shownMessages().size() - 2).join(u"|")));
        // The stations are done when each has stored the last message sent
        // to it (neither is of the pair deleted); a station that held its
        // messages while the server was away may take a while.
        deadline.setRemainingTime(60000);
        while (single(db, "SELECT count(*) FROM tMessage WHERE mText IN "
                          "('ONE message 449', 'TWO message 359')") != 2 &&
               !deadline.hasExpired())
            QTest::qWait(200);
        const qint64 left = single(db, "SELECT count(*) FROM tMessage");
        QVERIFY2(left > 310 + 500 - 100 && left < 310 + 500, qPrintable(QString::number(left)));
        QCOMPARE(rows(db, "SELECT upper(Registration), upper(Flight), FirstHeard, LastHeard, "
                          "TimesHeard FROM ACARSLOG ORDER BY 1, 2"),
                 rows(db, "SELECT upper(mReg), upper(mFlight), min(mTime), max(mTime), count(*) "
                          "FROM tMessage GROUP BY 1, 2 ORDER BY 1, 2"));
        QCOMPARE(rows(db, "SELECT upper(Registration), FirstHeard, LastHeard, TimesHeard "
                          "FROM UniqueAircraft ORDER BY 1"),
                 rows(db, "SELECT upper(mReg), min(mTime), max(mTime), count(*) FROM tMessage "
                          "GROUP BY 1 ORDER BY 1"));
        QCOMPARE(rows(db, "SELECT Hour, Messages FROM MessagesByHour ORDER BY 1"),
                 rows(db, "SELECT left(mTime, 13), count(*) FROM tMessage GROUP BY 1 ORDER BY 1"));
        QCOMPARE(rows(db, "SELECT Day, upper(Registration), Messages FROM MessagesByRegistration "
                          "ORDER BY 1, 2"),
                 rows(db, "SELECT left(mTime, 10), upper(mReg), count(*) FROM tMessage "
                          "GROUP BY 1, 2 ORDER BY 1, 2"));

        for (auto &station : stations) {
            ::kill(pid_t(station->processId()), SIGINT);
            QVERIFY(station->waitForFinished(15000));
            QCOMPARE(station->exitCode(), 0);
        }
    }
};

QTEST_MAIN(ServerWindowTest)
#include "tst_serverwindow.moc"
