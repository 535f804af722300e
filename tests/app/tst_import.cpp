#include "app/Dialogs.h"
#include "app/ImportController.h"
#include "app/MainWindow.h"
#include "browse/MessageBrowser.h"
#include "browse/MessageGridModel.h"
#include "recording/RecorderThread.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace corvane;

namespace
{
QByteArray skySpyBlock(const QByteArray &reg, const QByteArray &flight)
{
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\n"
           "Flight id: " +
           flight + "\r\nMessage content:-\r\nTEXT\r\n" + QByteArray(59, '-') +
           "[01/02/2004 12:34]\r\n";
}

qint64 scalar(Store &store, const char *sql)
{
    SqliteStatement st(store.acarsLog(), sql);
    return st.step() ? st.int64(0) : -1;
}

constexpr int kLargeLog = 200000;

// A log long enough to be stopped in the middle: registrations N00000 to
// N99999, twice over.
QByteArray largeSkySpyLog()
{
    QByteArray log = "SkySpy\r\n";
    log.reserve(kLargeLog * 200);
    for (int i = 0; i < kLargeLog; ++i)
        log += skySpyBlock(".N" + QByteArray::number(i % 100000).rightJustified(5, '0'),
                           "BA" + QByteArray::number(i % 1000).rightJustified(4, '0'));
    return log;
}

// The count shown by the progress text "Processing log NAME, record N".
qint64 shownProgress(const MainWindow &window)
{
    const QString text = window.panelText(1);
    if (!text.startsWith(QStringLiteral("Processing log")))
        return -1;
    return text.section(QLatin1Char(' '), -1).toLongLong();
}
} // namespace

// The import run driven through the window's own button and menu item.
class TestImport : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QString largeLog;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recorder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ImportController> controller;
    std::unique_ptr<QSignalSpy> finished;
    int refreshes = 0;

    // Starts the run through the button and waits for its end.
    void clickImportAndWait()
    {
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QTRY_COMPARE(finished->count(), 1);
    }

    // Starts the large import and waits until some of it is committed.
    void startLargeImport()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        controller->importFiles({largeLog});
        QVERIFY(controller->isRunning());
        QTRY_VERIFY(shownProgress(*window) > 0);
        QVERIFY(controller->cancelButton()->isVisible());
        QVERIFY(!window->importButton()->isEnabled());
    }

    void verifyCancelledRun()
    {
        QCOMPARE(finished->count(), 1);
        const qint64 stored = finished->first().at(0).toLongLong();
        QVERIFY(finished->first().at(1).toBool());
        QVERIFY(stored > 0 && stored < kLargeLog);
        // What was read is committed, the file is registered and the heard
        // flags are refreshed, as at the end of a whole file.
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), stored);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM LOGSPROCESSED"), 1);
        QCOMPARE(scalar(*store, "SELECT \"Heard?\" FROM AIRCRAFT"), 1);
        QCOMPARE(window->panelText(1), ImportController::cancelledText(stored));
        QVERIFY(!controller->cancelButton()->isVisible());
        QVERIFY(!QApplication::overrideCursor());
    }

private slots:
    void initTestCase() { largeLog = env.writeFile("logs/large.log", largeSkySpyLog()); }

    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        const QString folder = env.newDataDir();
        store = std::make_unique<Store>();
        store->open(folder);
        recorder = std::make_unique<RecorderThread>();
        QVERIFY(recorder->start(folder));
        window = std::make_unique<MainWindow>(*store);
        controller = std::make_unique<ImportController>(*window, *recorder);
        finished = std::make_unique<QSignalSpy>(controller.get(), &ImportController::runFinished);
        refreshes = 0;
        window->refreshViews = [this] { ++refreshes; };
        window->startUp();
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N00001')");
    }
    void cleanup()
    {
        finished.reset();
        controller.reset();
        window.reset();
        recorder.reset();
        store.reset();
    }

    void buttonImportsTheChosenFiles()
    {
        const QString a =
            env.writeFile("logs/a.log", "SkySpy\r\n" + skySpyBlock(".N12345", "BA0123"));
        const QString b =
            env.writeFile("logs/b.log", "SkySpy\r\n" + skySpyBlock("G-ABCDE", "XY0001"));
        store->acarsLog().exec("DELETE FROM AIRCRAFT");
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N12345')");
        Dialogs::queueFiles({a, b});
        clickImportAndWait();
        QCOMPARE(finished->first().at(0).toLongLong(), 2);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 2);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage WHERE mFileName = 'b.log'"), 1);
        QCOMPARE(scalar(*store, "SELECT \"Heard?\" FROM AIRCRAFT"), 1);
        const QString done = QStringLiteral("Log Import complete. 2 messages stored from 2 files.");
        QCOMPARE(Dialogs::shownMessages(), QStringList{done});
        QCOMPARE(window->panelText(1), done);
        QVERIFY(window->importButton()->isEnabled());
        QVERIFY(window->exitButton()->isEnabled());
        QVERIFY(refreshes >= 2);
        QVERIFY(!QApplication::overrideCursor());
    }

    void refusedFileIsReportedAndTheRunGoesOn()
    {
        const QString bad =
            env.writeFile("logs/bad.log", "NotSkySpy\r\n" + skySpyBlock(".N11111", "BA0001"));
        const QString good =
            env.writeFile("logs/good.log", "SkySpy\r\n" + skySpyBlock(".N22222", "BA0002"));
        Dialogs::queueFiles({bad, good});
        window->menuItem("mnuLogImport")->trigger();
        QTRY_COMPARE(finished->count(), 1);
        // One message: what the run did, then why.
        QCOMPARE(Dialogs::shownMessages(),
                 QStringList{"Log Import complete. 1 message stored from 1 file. Refused: bad.log."
                             "\n\nbad.log: This is not a SkySpy log file."});
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 1);
        QVERIFY(!QApplication::overrideCursor());

        // The refused file is processed, but choosing it again is no repeat;
        // the good one is.
        Dialogs::reset();
        Dialogs::queueFiles({bad, good});
        window->menuItem("mnuLogImport")->trigger();
        QTRY_COMPARE(finished->count(), 2);
        QCOMPARE(Dialogs::shownMessages().first(), ImportController::repeatQuestion(good, {.listed = true, .whole = true}));
        QCOMPARE(Dialogs::shownMessages().size(), 2);
    }

    void cancelledDialogStillEndsTheRun()
    {
        Dialogs::queueFiles({});
        clickImportAndWait();
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Log Import complete. No file imported."});
        QCOMPARE(window->panelText(1), QStringLiteral("Log Import complete. No file imported."));
    }

    // The dialog shows the decoder's usual file names and offers all files.
    void fileDialogOffersTheDecodersNames_data()
    {
        QTest::addColumn<QString>("decoder");
        QTest::addColumn<QString>("filter");
        QTest::newRow("SkySpy") << "SkySpy"
                                << "SkySpy log files (*.log);;All files (*)";
        QTest::newRow("ACARSD") << "ACARSD"
                                << "ACARSD log files (*.txt);;All files (*)";
        QTest::newRow("dumpvdl2")
            << "dumpvdl2"
            << "dumpvdl2 log files (*.json *.jsonl *.txt *.log);;All files (*)";
        QTest::newRow("unknown") << "skyspy"
                                 << "Log files (*.log);;All files (*)";
    }
    void fileDialogOffersTheDecodersNames()
    {
        QFETCH(QString, decoder);
        QFETCH(QString, filter);
        window->settings().setDecoder(decoder);
        clickImportAndWait();
        QCOMPARE(Dialogs::offeredFilters(), QStringList{filter});
    }

    void unknownDecoderImportsNothing()
    {
        window->settings().setDecoder(QStringLiteral("skyspy"));
        Dialogs::queueFiles(
            {env.writeFile("logs/c.log", "SkySpy\r\n" + skySpyBlock(".N33333", "BA0003"))});
        clickImportAndWait();
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 0);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Log Import complete. No file imported."});
    }

    void showNewOpensTheNewPairsFile()
    {
        window->settings().setSwitch(Settings::Key::ShowNew, 1);
        Dialogs::queueFiles(
            {env.writeFile("logs/d.log", "SkySpy\r\n" + skySpyBlock(".N44444", "BA0004"))});
        clickImportAndWait();
        QCOMPARE(Dialogs::openedUrls().size(), 1);
        QVERIFY(Dialogs::openedUrls().first().toLocalFile().endsWith("/new"));
    }

    void cancelStopsTheImport_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelStopsTheImport()
    {
        QFETCH(bool, escape);
        startLargeImport();
        if (escape) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            QTest::keyClick(window.get(), Qt::Key_Escape);
        } else {
            QTest::mouseClick(controller->cancelButton(), Qt::LeftButton);
        }
        QTRY_COMPARE(finished->count(), 1);
        verifyCancelledRun();
        QCOMPARE(Dialogs::shownMessages().last(),
                 ImportController::cancelledText(finished->first().at(0).toLongLong()));
        QVERIFY(window->importButton()->isEnabled());
        QVERIFY(window->exitButton()->isEnabled());
    }

    void closingDuringAnImportAsksFirst_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void closingDuringAnImportAsksFirst()
    {
        QFETCH(bool, stop);
        startLargeImport();
        Dialogs::queueAnswer(stop ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        QVERIFY(!window->close());
        QCOMPARE(Dialogs::pendingAnswers(), 0);
        if (stop) {
            QTRY_VERIFY(!window->isVisible());
            verifyCancelledRun();
            // Only the question: no message box pops up over a closing window.
            QCOMPARE(Dialogs::shownMessages().size(), 1);
            return;
        }
        QVERIFY(window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 120000);
        QVERIFY(window->isVisible());
        QCOMPARE(finished->first().at(0).toLongLong(), kLargeLog);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), kLargeLog);
        QCOMPARE(Dialogs::shownMessages().last(), ImportController::completeText(kLargeLog, 1, {}));
        QVERIFY(window->close());
    }

    void doEventsRefreshesTheGridsDuringTheImport_data()
    {
        QTest::addColumn<bool>("doEvents");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void doEventsRefreshesTheGridsDuringTheImport()
    {
        QFETCH(bool, doEvents);
        window->settings().setSwitch(Settings::Key::DoEvents, doEvents ? 1 : 0);
        controller->setLiveRefreshInterval(20);
        int refreshesWhileReading = -1;
        window->refreshViews = [&] {
            ++refreshes;
            if (window->panelText(1) == QStringLiteral("Log processed.") &&
                refreshesWhileReading < 0)
                refreshesWhileReading = refreshes - 1;
        };
        controller->importFiles({largeLog});
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 120000);
        // Off: once at the end of the file and once at the end of the run.
        if (doEvents)
            QVERIFY(refreshesWhileReading > 0);
        else
            QCOMPARE(refreshes, 2);
    }

    void theWindowAnswersWhileALargeImportRuns()
    {
        // The real message grid reads the store the recorder is writing.
        MessageBrowser browser(*window, *store);
        QTimer tick;
        tick.setInterval(10);
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        connect(&tick, &QTimer::timeout, &tick,
                [&] { longest = qMax(longest, sinceTick.restart()); });
        controller->importFiles({largeLog});
        sinceTick.start();
        tick.start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 120000);
        tick.stop();
        QCOMPARE(finished->first().at(0).toLongLong(), kLargeLog);
        QVERIFY2(longest < 100, qPrintable(QStringLiteral("longest wait %1 ms").arg(longest)));
        QCOMPARE(browser.model()->recordCount(), kLargeLog);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
