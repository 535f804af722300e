#include "alerts/AlertLogWindow.h"
#include "alerts/AlertWindows.h"
#include "alerts/AlertWordList.h"
#include "alerts/AlertWordsWindow.h"
#include "app/Dialogs.h"
#include "app/LiveController.h"
#include "app/MainWindow.h"
#include "live/AlertWords.h"
#include "live/LinkServer.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "settings/Settings.h"
#include "store/AlertLog.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace corvane;

namespace
{

QString skySpy(const QString &reg, const QString &text)
{
    return "ACARS mode: 2  Aircraft reg: ." + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\n" +
           text + "\r\n" + QString(59, u'-') + "[01/02/2004 12:34]\r\n";
}

void click(QWidget *parent, const char *button)
{
    auto *b = parent->findChild<QPushButton *>(QString::fromLatin1(button));
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

// The alert set-up and alert log windows, with a live link running.
class AlertWindowsTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recording;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<LiveController> live;
    std::unique_ptr<AlertWindows> alerts;
    std::unique_ptr<LinkServer> server;

    QString wordsPath() const { return AlertWords::wordsPath(store->folder()); }
    QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList loggedWords()
    {
        QStringList out;
        for (const AlertRow &row : AlertLog(*store).all())
            out << row.alert;
        return out;
    }
    void addWord(AlertWordList *list, const QString &word)
    {
        list->newText()->setText(word);
        list->add();
    }
    void startLink()
    {
        server = std::make_unique<LinkServer>();
        QVERIFY(server->listen("SkySpy", "ACARS", "LiveData"));
        window->settings().setDdeType("SkySpy");
        QTest::mouseClick(window->liveButton(), Qt::LeftButton);
        QTRY_COMPARE(server->clientCount(), 1);
        QTRY_VERIFY(live->session().flags().restart == false);
    }
    // Sends a value and waits until it has been handled and matched.
    void send(const QString &reg, const QString &text)
    {
        const qint64 before = messages;
        server->setValue(skySpy(reg, text));
        QTRY_COMPARE(messages, before + 1);
        recording->drain();
        QCoreApplication::processEvents();
    }
    qint64 messages = 0;

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }
    void init()
    {
        env.resetSettings();
        Dialogs::setUnattended(true);
        Dialogs::reset();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recording = std::make_unique<RecorderThread>();
        QVERIFY(recording->start(store->folder()));
        window = std::make_unique<MainWindow>(*store);
        live = std::make_unique<LiveController>(*window, *recording);
        alerts = std::make_unique<AlertWindows>(*window, *live);
        window->startUp();
        window->settings().setSwitch(Settings::Key::NewPopup, 0);
        messages = 0;
        connect(&live->session(), &LiveSession::passFinished, this,
                [this](const LivePassResult &r) { messages += r.stored; });
    }
    void cleanup()
    {
        if (window->isLinked())
            QTest::mouseClick(window->liveButton(), Qt::LeftButton);
        alerts.reset();
        live.reset();
        window.reset();
        server.reset();
        recording.reset();
        store.reset();
    }

    void setupWindowKeepsWordsInTheFile()
    {
        QAction *setupItem = window->menuItem("mnuLogAlerts");
        QVERIFY(setupItem->isEnabled());
        setupItem->trigger();
        AlertWordsWindow *setup = alerts->setupWindow();
        QVERIFY(setup->isVisible());
        QCOMPARE(setup->windowTitle(), QStringLiteral("ACARS Corvane - Alerts"));
        QVERIFY(setup->words().isEmpty()); // no file yet
        AlertWordList *list = setup->wordList();

        // A blank word would match every message, a repeat raise each alert twice.
        addWord(list, "");
        addWord(list, " ");
        for (const char *w : {"MAYDAY", "TWO WORDS", "FUEL", "MAYDAY"})
            addWord(list, w);
        QCOMPARE(Dialogs::shownMessages(),
                 (QStringList{"Please enter some text to add.", "Please enter some text to add.",
                              "\"MAYDAY\" is in the list already."}));
        list->list()->setCurrentIndex(2);
        click(setup, "cmdDeleteCurrent");
        QCOMPARE(setup->words(), (QStringList{"MAYDAY", "TWO WORDS"}));
        click(setup, "cmdOK");
        QVERIFY(!setup->isVisible());
        QCOMPARE(fileBytes(wordsPath()), QByteArray("MAYDAY\r\nTWO WORDS\r\n"));
        QVERIFY(!QFile::exists(AlertWords::ignorePath(store->folder())));

        // Changes closed away any other way are lost.
        alerts->showSetup();
        QCOMPARE(list->list()->currentIndex(), 0);
        click(setup, "cmdDeleteAll");
        addWord(list, "OTHER");
        setup->reject();
        QCOMPARE(fileBytes(wordsPath()), QByteArray("MAYDAY\r\nTWO WORDS\r\n"));
        alerts->showSetup();
        QCOMPARE(setup->words(), (QStringList{"MAYDAY", "TWO WORDS"}));

        // Confirmed empty: an empty file, and matching finds nothing.
        click(setup, "cmdDeleteAll");
        click(setup, "cmdOK");
        QCOMPARE(fileBytes(wordsPath()), QByteArray());
        startLink();
        alerts->showLog();
        send("G-AAAA", "MAYDAY");
        QVERIFY(loggedWords().isEmpty());
    }

    // Every link matches, the log window open or not; the window lists what
    // was raised whenever it opens, and Show Alerts works without a link.
    void alertsRaisedWithOrWithoutTheLogWindow()
    {
        QVERIFY(AlertWords::write(wordsPath(), {"MAYDAY", "FUEL"}));
        QAction *showItem = window->menuItem("mnuLogShowAlerts");
        QVERIFY(showItem->isEnabled());
        startLink();
        send("G-AAAA", "MAYDAY");
        QCOMPARE(loggedWords(), QStringList{"MAYDAY"});

        showItem->trigger();
        AlertLogWindow *log = alerts->logWindow();
        QVERIFY(log->isVisible());
        QVERIFY(live->alertsOpen());
        QTableWidget *grid = log->list();
        QCOMPARE(grid->rowCount(), 1);
        send("G-BBBB", "FUEL LOW MAYDAY mayday");
        QCOMPARE(loggedWords(), (QStringList{"MAYDAY", "MAYDAY", "FUEL"}));
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("DateTime"));
        QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("FUEL"));
        QVERIFY(grid->item(2, 2)->data(Qt::UserRole).toString().startsWith("FUEL LOW"));

        // Stopping leaves the window; a window closed by its frame comes back
        // with the next link.
        QTest::mouseClick(window->liveButton(), Qt::LeftButton);
        QVERIFY(showItem->isEnabled());
        QVERIFY(log->isVisible());
        log->close();
        startLink();
        QVERIFY(log->isVisible());
        send("G-CCCC", "FUEL");
        QCOMPARE(grid->rowCount(), 4);

        click(log, "cmdClear");
        QCOMPARE(grid->rowCount(), 0);
        QVERIFY(loggedWords().isEmpty());

        click(log, "cmdOK");
        QVERIFY(!log->isVisible());
        QVERIFY(!live->alertsOpen());
        send("G-DDDD", "MAYDAY");
        QCOMPARE(loggedWords(), QStringList{"MAYDAY"});
        QTest::mouseClick(window->liveButton(), Qt::LeftButton);
        showItem->trigger();
        QCOMPARE(grid->rowCount(), 1);
    }

    void unsavedWordsOnScreenAreUsedWhileOpen()
    {
        QVERIFY(AlertWords::write(wordsPath(), {"FILEWORD"}));
        startLink();
        alerts->showLog();
        AlertWordsWindow *setup = alerts->showSetup();
        click(setup, "cmdDeleteAll");
        addWord(setup->wordList(), "SCREEN");
        send("G-AAAA", "FILEWORD SCREEN");
        QCOMPARE(loggedWords(), QStringList{"SCREEN"});

        // An ignore word on the second tab, not saved either.
        addWord(setup->ignoreList(), "TEST");
        send("G-BBBB", "SCREEN TEST");
        QCOMPARE(loggedWords().size(), 1);

        // Discarded: back to the file's words.
        setup->reject();
        send("G-CCCC", "FILEWORD SCREEN TEST");
        QCOMPARE(loggedWords(), (QStringList{"SCREEN", "FILEWORD"}));

        // Saved ignore words hold from the file.
        alerts->showSetup();
        addWord(setup->ignoreList(), "TEST");
        click(setup, "cmdOK");
        QCOMPARE(fileBytes(AlertWords::ignorePath(store->folder())), QByteArray("TEST\r\n"));
        send("G-DDDD", "FILEWORD TEST");
        QCOMPARE(loggedWords().size(), 2);
        click(alerts->logWindow(), "cmdModify");
        QVERIFY(setup->isVisible());
        QCOMPARE(setup->ignoreWords(), QStringList{"TEST"});
    }
};

QTEST_MAIN(AlertWindowsTest)
#include "tst_alertwindows.moc"
