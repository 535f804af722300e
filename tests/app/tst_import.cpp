#include "app/Dialogs.h"
#include "app/ImportController.h"
#include "app/MainWindow.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QPushButton>
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
} // namespace

// The import run driven through the window's own button and menu item.
class TestImport : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    std::unique_ptr<Store> store;
    std::unique_ptr<MessageRecorder> recorder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ImportController> controller;
    int refreshes = 0;

private slots:
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recorder = std::make_unique<MessageRecorder>(*store);
        window = std::make_unique<MainWindow>(*store);
        controller = std::make_unique<ImportController>(*window, *store, *recorder);
        refreshes = 0;
        window->refreshViews = [this] { ++refreshes; };
        window->startUp();
    }
    void cleanup()
    {
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
        store->acarsLog().exec("INSERT INTO AIRCRAFT (REGISTRATI) VALUES ('N12345')");
        Dialogs::queueFiles({a, b});
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 2);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage WHERE mFileName = 'b.log'"), 1);
        QCOMPARE(scalar(*store, "SELECT \"Heard?\" FROM AIRCRAFT"), 1);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Log Import complete."});
        QCOMPARE(window->panelText(1), QStringLiteral("Log Import complete."));
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
        QCOMPARE(Dialogs::shownMessages(),
                 (QStringList{"This is not a SkySpy log file.", "Log Import complete."}));
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 1);
        QVERIFY(!QApplication::overrideCursor());
    }

    void cancelledDialogStillEndsTheRun()
    {
        Dialogs::queueFiles({});
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Log Import complete."});
    }

    void unknownDecoderImportsNothing()
    {
        window->settings().setDecoder(QStringLiteral("skyspy"));
        Dialogs::queueFiles(
            {env.writeFile("logs/c.log", "SkySpy\r\n" + skySpyBlock(".N33333", "BA0003"))});
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QCOMPARE(scalar(*store, "SELECT count(*) FROM tMessage"), 0);
        QCOMPARE(Dialogs::shownMessages(), QStringList{"Log Import complete."});
    }

    void showNewOpensTheNewPairsFile()
    {
        window->settings().setSwitch(Settings::Key::ShowNew, 1);
        Dialogs::queueFiles(
            {env.writeFile("logs/d.log", "SkySpy\r\n" + skySpyBlock(".N44444", "BA0004"))});
        QTest::mouseClick(window->importButton(), Qt::LeftButton);
        QCOMPARE(Dialogs::openedUrls().size(), 1);
        QVERIFY(Dialogs::openedUrls().first().toLocalFile().endsWith("/new"));
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
