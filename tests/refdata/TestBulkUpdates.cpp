#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "recording/RecorderThread.h"
#include "refdata/BulkUpdateController.h"
#include "refdata/RemoveDuplicatesDialog.h"
#include "store/MessageRecorder.h"
#include "store/RouteFileLoad.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "support/MessageRecords.h"
#include "support/StoreRows.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace corvane;
using corvane::test::rows;

// The Database menu's whole-table commands, run through the window as the
// user does, with the dialogs answered in advance.
class TestBulkUpdates : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recorder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<BulkUpdateController> bulk;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> changed;

    void trigger(const char *item, int jobs = 1)
    {
        window->menuItem(QString::fromLatin1(item))->trigger();
        QTRY_COMPARE(finished->count(), jobs);
    }
    void record(const QStringList &pairs)
    {
        MessageRecorder r(*store);
        for (const QString &p : pairs)
            r.storeMessage(
                test::message(p.section(u'/', 0, 0), p.section(u'/', 1), "01/01/2004 10:00"),
                nullptr);
        r.commitBatch();
    }

private slots:
    void init()
    {
        Dialogs::setUnattended(true);
        Dialogs::reset();
        const QString folder = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(folder);
        recorder = std::make_unique<RecorderThread>();
        QVERIFY(recorder->start(folder));
        window = std::make_unique<MainWindow>(*store);
        bulk = std::make_unique<BulkUpdateController>(*window, *recorder);
        finished = std::make_unique<QSignalSpy>(bulk.get(), &BulkUpdateController::finished);
        changed = std::make_unique<QSignalSpy>(window.get(), &MainWindow::referenceDataChanged);
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI, \"Heard?\") "
                               "VALUES ('MANUAL', 1)");
    }
    void cleanup()
    {
        changed.reset();
        finished.reset();
        bulk.reset();
        window.reset();
        recorder.reset();
        store.reset();
    }

    void aircraftDeleteComesBeforeTheFile()
    {
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        trigger("mnuDatabaseImportAircraft");
        // The file dialog was cancelled after the delete.
        QCOMPARE(Dialogs::shownMessages(), QStringList{BulkUpdateController::aircraftQuestion()});
        QCOMPARE(rows(*store, "SELECT count(*) FROM AIRCRAFT"), QStringList{"0"});
        QCOMPARE(changed->count(), 1);
    }

    void aircraftFileIsLoaded()
    {
        record({"G-ABCD/BA1"});
        Dialogs::queueAnswer(Dialogs::Answer::No);
        const QString file = env.writeFile(
            "a.csv", "Registration,Carrier\nG-ABCD,BAW,A320,1\nMANUAL,---,C172,\n,XXX\n");
        Dialogs::queueFiles({file});
        trigger("mnuDatabaseImportAircraft");
        QCOMPARE(window->panelText(1),
                 QStringLiteral("Aircraft Import complete: 1 added, 1 updated, 1 refused."));
        QCOMPARE(Dialogs::shownMessages().size(), 2);
        QVERIFY(Dialogs::shownMessages().last().contains(
            file + " were refused and not loaded:\n\nline 4: the registration is empty"));
        QCOMPARE(rows(*store, "SELECT REGISTRATI, CARRIER, \"Heard?\" FROM AIRCRAFT ORDER BY 1"),
                 (QStringList{"G-ABCD|BAW|1", "MANUAL|---|1"}));
        QCOMPARE(changed->count(), 1);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(window->menuItem("mnuDatabaseImportAircraft")->isEnabled());
    }

    void routeFileIsLoaded_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("whole file") << QByteArray("BA1=EGLL-KJFK\n") << "Route updating complete."
                                    << QStringList{BulkUpdateController::routesQuestion()};
        QTest::newRow("malformed line")
            << QByteArray("BA1=EGLL-KJFK\nNOT A ROUTE LINE\n") << ""
            << QStringList{BulkUpdateController::routesQuestion(), RouteFileLoad::malformedText(2)};
    }
    void routeFileIsLoaded()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, panel);
        QFETCH(QStringList, messages);
        Dialogs::queueFiles({env.writeFile("routes.bwd", file)});
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        trigger("mnuDatabaseBrellwickRoutes");
        QCOMPARE(Dialogs::shownMessages(), messages);
        QCOMPARE(Dialogs::offeredFilters(),
                 QStringList{"Brellwick route files (*.bwd);;All files (*)"});
        if (!panel.isEmpty())
            QCOMPARE(window->panelText(1), panel);
        SqliteStatement st(store->routes(), "SELECT FLIGHT FROM ROUTES");
        QVERIFY(st.step());
        QCOMPARE(st.text(0), QStringLiteral("BA1"));
        QCOMPARE(changed->count(), 1);
    }

    void deleteAllAsksFirst()
    {
        record({"G-A/BA1", "MANUAL/BA2"});
        int refreshes = 0;
        window->refreshViews = [&] { ++refreshes; };
        window->menuItem("mnuDatabaseDeleteAllRecords")->trigger();
        QCOMPARE(Dialogs::shownMessages(), QStringList{BulkUpdateController::deleteAllQuestion()});
        QCOMPARE(rows(*store, "SELECT count(*) FROM tMessage"), QStringList{"2"});

        Dialogs::reset();
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        trigger("mnuDatabaseDeleteAllRecords");
        QCOMPARE(rows(*store, "SELECT count(*) FROM tMessage"), QStringList{"0"});
        QCOMPARE(rows(*store, "SELECT \"Heard?\" FROM AIRCRAFT"), QStringList{"0"});
        QCOMPARE(refreshes, 1);
        QCOMPARE(Dialogs::shownMessages(), (QStringList{BulkUpdateController::deleteAllQuestion(),
                                                        "All database records have been deleted",
                                                        BulkUpdateController::compactQuestion()}));
    }

    // The count comes first and is asked with; only Yes deletes, and the
    // number deleted is said afterwards.
    void removalAsksWithTheCountOfTheViewsPairs_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void removalAsksWithTheCountOfTheViewsPairs()
    {
        QFETCH(bool, yes);
        record({"G-A/BA1", "G-A/BA1", "G-B/BA2", "G-B/BA2"});
        bulk->currentView = [] { return MessageView::byFlight("BA2"); };
        RemoveDuplicatesDialog dialog(*bulk, window.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ACARS Corvane - Remove duplicate data"));
        Dialogs::queueAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        QVERIFY(!dialog.cancelButton()->isEnabled());
        QTRY_COMPARE(finished->count(), yes ? 2 : 1);
        const StoreCleanup::Duplicates expected{1, 3};
        QStringList shown{RemoveDuplicatesDialog::questionText(expected)};
        if (yes)
            shown << RemoveDuplicatesDialog::resultText(expected);
        QCOMPARE(Dialogs::shownMessages(), shown);
        QCOMPARE(dialog.result(), int(yes ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(dialog.removedAny(), yes);
        QVERIFY(dialog.removeButton()->isEnabled());
        QStringList left{"BA1", "BA1", "BA2"};
        if (!yes)
            left << "BA2";
        QCOMPARE(rows(*store, "SELECT mFlight FROM tMessage ORDER BY rowid"), left);
    }

    void removalWithNothingToRemoveAsksNothing()
    {
        record({"G-A/BA1", "G-B/BA1"});
        RemoveDuplicatesDialog dialog(*bulk, window.get());
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        QTRY_COMPARE(finished->count(), 1);
        QCOMPARE(Dialogs::shownMessages(), QStringList{RemoveDuplicatesDialog::noneText()});
        QVERIFY(!dialog.removedAny());
    }

    void failedRemovalIsReportedAndChangesNothing()
    {
        record({"G-A/BA1", "G-A/BA1"});
        store->acarsLog().exec("CREATE TRIGGER Refuse BEFORE DELETE ON tMessage BEGIN "
                               "SELECT RAISE(ABORT, 'refused'); END");
        RemoveDuplicatesDialog dialog(*bulk, window.get());
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        QTRY_COMPARE(finished->count(), 2);
        QVERIFY(!dialog.removedAny());
        QCOMPARE(Dialogs::shownMessages().size(), 2);
        QVERIFY(Dialogs::shownMessages().last().contains("refused"));
        QCOMPARE(rows(*store, "SELECT count(*) FROM tMessage"), QStringList{"2"});
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestBulkUpdates)
#include "TestBulkUpdates.moc"
