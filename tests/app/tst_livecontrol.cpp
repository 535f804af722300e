#include "app/Dialogs.h"
#include "app/LiveController.h"
#include "app/MainWindow.h"
#include "live/AlertWords.h"
#include "live/LinkNames.h"
#include "live/LinkServer.h"
#include "live/LinkTestSupport.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "settings/Settings.h"
#include "store/AlertLog.h"
#include "store/MessageRecorder.h"
#include "store/MessageTime.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QUdpSocket>
#include <QtTest>

using namespace corvane;

namespace
{
QString skySpy(const QString &reg)
{
    return "ACARS mode: 2  Aircraft reg: ." + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\nTEXT\r\n" +
           QString(59, u'-') + "[01/02/2004 12:34]\r\n";
}
} // namespace

// The live link driven through the window's button.
class TestLiveControl : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recording;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<LiveController> live;
    int refreshes = 0;

    QStringList regs()
    {
        SqliteStatement st(store->acarsLog(), "SELECT mReg FROM tMessage ORDER BY rowid");
        QStringList out;
        while (st.step())
            out << st.text(0);
        return out;
    }
    void click() { QTest::mouseClick(window->liveButton(), Qt::LeftButton); }
    bool anyTimerActive()
    {
        for (const char *name : {"tmrDDE", "tmrLive", "tmrLiveSSHF", "tmrLiveSSVHF"})
            if (live->timer(QString::fromLatin1(name))->isActive())
                return true;
        return false;
    }
    // Stopped: the normal layout, the caption, no timer running.
    void verifyStopped(const QString &colour)
    {
        QCOMPARE(window->liveButton()->text(), QStringLiteral("Li&ve data"));
        QCOMPARE(live->buttonColour(), colour);
        QVERIFY(window->liveButton()->styleSheet().contains(colour));
        QVERIFY(!window->isLinked());
        QVERIFY(window->importButton()->isEnabled());
        QVERIFY(window->menu("mnuDatabase")->isEnabled());
        QVERIFY(window->newFrame()->isHidden());
        QVERIFY(!anyTimerActive());
    }

private slots:
    void initTestCase() { test::useRuntimeDir(runtime); }
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
        refreshes = 0;
        window->refreshViews = [this] { ++refreshes; };
        window->startUp();
        window->settings().setSwitch(Settings::Key::NewPopup, 1);
    }
    void cleanup()
    {
        live.reset();
        window.reset();
        recording.reset();
        store.reset();
    }

    void noServerLeavesTheButtonReadyAgain()
    {
        window->settings().setDdeType("SkySpy");
        click();
        QCOMPARE(Dialogs::shownMessages(), QStringList{LinkNames::noServerMessage()});
        verifyStopped(LiveController::buttonFace());
        // Clicking again tries again.
        click();
        QCOMPARE(Dialogs::shownMessages().size(), 2);
    }

    void startRecordStop()
    {
        window->settings().setDdeType("SkySpy");
        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        server.setValue(skySpy("G-STAL"));
        window->newList()->setPlainText("old\r\n");
        window->dblNewCount = 7;
        window->ddeServerBox()->setChecked(true);
        QVERIFY(window->blnDDEServer);
        click();
        QCOMPARE(window->liveButton()->text(), QStringLiteral("Stop Lin&k"));
        QCOMPARE(live->buttonColour(), LiveController::green());
        QVERIFY(window->isLinked());
        QVERIFY(window->windowTitle().endsWith(" - Linked to SkySpy"));
        QCOMPARE(window->panelText(1), QStringLiteral("SkySpy DDE started"));
        QVERIFY(!window->importButton()->isEnabled());
        QVERIFY(!window->menu("mnuDatabase")->isEnabled());
        QVERIFY(!window->newFrame()->isHidden());
        QCOMPARE(window->dblNewCount, 0.0);
        QVERIFY(window->newList()->toPlainText().isEmpty());
        QCOMPARE(live->timer("tmrDDE")->interval(), 500);
        QVERIFY(live->timer("tmrDDE")->isActive());

        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue(skySpy("G-AAAA"));
        server.setValue(skySpy("G-BBBB"));
        QTRY_COMPARE(regs(), (QStringList{"G-AAAA", "G-BBBB"}));
        QTRY_COMPARE(window->dblNewCount, 2.0);
        QCOMPARE(window->newList()->toPlainText(), QStringLiteral("G-BBBB\nG-AAAA\n"));
        QCOMPARE(window->newFrame()->title(), QStringLiteral("New (2)"));
        QCOMPARE(window->panelText(1), QString());
        QCOMPARE(window->panelText(2), QStringLiteral("0/0"));
        QCOMPARE(window->panelText(3), QStringLiteral("0.0/0.0"));
        // The grids are brought up to date once for the values of a tick.
        QVERIFY(refreshes >= 1);
        QVERIFY(!window->importButton()->isEnabled());
        QVERIFY(window->liveDataItem()->text().startsWith("ACARS mode: 2  Aircraft reg: G-BBBB."));
        QCOMPARE(live->publisher().value(), window->liveDataItem()->text());

        // The box off: the item keeps its last block.
        window->ddeServerBox()->setChecked(false);
        server.setValue(skySpy("G-CCCC"));
        QTRY_COMPARE(regs().size(), 3);
        QVERIFY(live->publisher().value().contains("G-BBBB."));

        click();
        verifyStopped(LiveController::buttonFace());
        QVERIFY(!window->windowTitle().contains("Linked"));
        // The list is kept at stop.
        QTRY_VERIFY(window->newList()->toPlainText().startsWith("G-CCCC"));
        QVERIFY(Dialogs::shownMessages().isEmpty());
    }

    // The words of the file are matched from the link's start, with no
    // alert window open; the file is read again when a link starts.
    void alertsMatchEveryLinkWithTheFilesWords()
    {
        window->settings().setDdeType("ZCARS"); // records nothing, alerts still run
        QVERIFY(AlertWords::write(AlertWords::wordsPath(store->folder()), {"WORD"}));
        LinkServer server;
        QVERIFY(server.listen("ZCARS", "ACARS", "LiveData"));
        server.setValue("at connect");
        click();
        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue("first WORD");
        server.setValue("second");
        QTRY_COMPARE(window->liveDataSink()->toPlainText(), QStringLiteral("second"));
        QTRY_COMPARE(AlertLog(*store).count(), 1);
        QCOMPARE(AlertLog(*store).all().first().message, QStringLiteral("first WORD"));
        click();

        QVERIFY(AlertWords::write(AlertWords::wordsPath(store->folder()), {"second"}));
        click();
        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue("second WORD");
        QTRY_COMPARE(AlertLog(*store).count(), 2);
        QCOMPARE(AlertLog(*store).all().last().alert, QStringLiteral("second"));
        click();
    }

    // Closing the window while a link records asks first, as an import does.
    void closingWhileLinkedAsksFirst()
    {
        window->settings().setDdeType("SkySpy");
        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        window->show();
        click();
        QTRY_COMPARE(server.clientCount(), 1);
        QVERIFY(!window->close()); // unattended, the answer is No
        QCOMPARE(Dialogs::shownMessages(), QStringList{LiveController::closeQuestion()});
        QVERIFY(window->isVisible() && window->isLinked());
        server.setValue(skySpy("G-LAST"));
        Dialogs::queueAnswer(Dialogs::Answer::Yes);
        QTRY_VERIFY(window->close());
        verifyStopped(LiveController::buttonFace());
    }

    void decoderGoingAwayStopsTheLink()
    {
        window->settings().setDdeType("POSFIX");
        window->settings().setSwitch(Settings::Key::NewPopup, 0);
        auto server = std::make_unique<LinkServer>();
        QVERIFY(server->listen("POSFIX", "ACARS", "LiveData"));
        click();
        // NewPopup other than 1 keeps the normal layout.
        QVERIFY(window->isLinked());
        QVERIFY(window->importButton()->isEnabled());
        QVERIFY(window->newFrame()->isHidden());
        QCOMPARE(window->panelText(1), QStringLiteral("PosFix DDE started"));
        QTRY_COMPARE(server->clientCount(), 1);
        server.reset();
        QTRY_VERIFY(!window->isLinked());
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY(Dialogs::shownMessages().first().contains("POSFIX"));
        verifyStopped(LiveController::buttonFace());
    }

    void polledFiles()
    {
        // A cancelled file picker stops the link again.
        window->settings().setDdeType("SSVHF");
        click();
        verifyStopped(LiveController::buttonFace());
        // Nothing claims a link that never started.
        QCOMPARE(window->panelText(1), QString());

        window->settings().setDdeType("SSHF");
        const QString log = env.writeFile("ss/hf.log", {});
        Dialogs::queueFiles({log});
        click();
        QVERIFY(window->isLinked());
        QCOMPARE(live->session().flags().liveFile, log);
        QCOMPARE(live->timer("tmrLiveSSHF")->interval(), 5000);
        QVERIFY(live->timer("tmrLiveSSHF")->isActive());
        QVERIFY(!live->timer("tmrDDE")->isActive());
        click();
        verifyStopped(LiveController::buttonFace());

        // ARD2 hands what is appended on through the dispatch timer.
        window->settings().setDdeType("ARD2");
        const QString txt = env.writeFile("ard2/log.txt", {});
        Dialogs::queueFiles({txt});
        click();
        QCOMPARE(window->panelText(1), QStringLiteral("ARD2 Live Link started"));
        QVERIFY(live->timer("tmrLive")->isActive());
        QVERIFY(live->timer("tmrDDE")->isActive());
        QFile file(txt);
        QVERIFY(file.open(QIODevice::Append));
        file.write("ACARS mode: 2  Aircraft reg: .G-ARDD         Label: 5Z  Block id: 3  "
                   "Msg. no: M01A Flight id: BA0123 No content\r\n");
        file.flush();
        QTRY_COMPARE_WITH_TIMEOUT(regs(), QStringList{"G-ARDD"}, 5000);
        click();
        verifyStopped(LiveController::buttonFace());
        QVERIFY(Dialogs::shownMessages().isEmpty());
    }

    void linkGoesWhereTheSettingsPointIt()
    {
        window->settings().setDdeType("SkySpy");
        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        QVERIFY(server.listenTcp(port, QHostAddress::LocalHost));
        // Only TCP can answer.
        QFile::remove(server.socketPath());
        window->settings().setLinkAddress("SkySpy", QStringLiteral("127.0.0.1:%1").arg(port));
        click();
        QVERIFY(window->isLinked());
        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue(skySpy("G-TCPP"));
        QTRY_COMPARE(regs(), QStringList{"G-TCPP"});
        click();

        window->settings().setLinkAddress("SkySpy", "no port here");
        click();
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY(Dialogs::shownMessages().first().contains("host:port"));
        verifyStopped(LiveController::buttonFace());
    }

    // A network decoder's feed: what it sends is recorded, listed as new and
    // seen by the alerts; a port that cannot be had is a message and the
    // button goes back to its start.
    void feedFromTheWindow()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, 0));
        const QString taken = QStringLiteral("udp:127.0.0.1:%1").arg(holder.localPort());
        window->settings().setDdeType("acarsdec");
        window->settings().setFeedListen("acarsdec", taken);
        click();
        QCOMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY2(Dialogs::shownMessages().first().contains(taken),
                 qPrintable(Dialogs::shownMessages().first()));
        verifyStopped(LiveController::buttonFace());

        const quint16 port = holder.localPort();
        holder.close();
        QVERIFY(AlertWords::write(AlertWords::wordsPath(store->folder()), {"WATCHED"}));
        click();
        QVERIFY(window->isLinked());
        QCOMPARE(window->panelText(1), "Listening on " + taken);
        QUdpSocket decoder;
        decoder.writeDatagram(R"({"timestamp":1717243200,"freq":131.725,"mode":"2",)"
                              R"("label":"H1","block_id":"4","tail":".G-FEED","flight":"BA0123",)"
                              R"("msgno":"M01A","text":"WATCHED WORD"})",
                              QHostAddress::LocalHost, port);
        QTRY_COMPARE(regs(), QStringList{"G-FEED"});
        QTRY_COMPARE(window->dblNewCount, 1.0);
        QTRY_COMPARE(AlertLog(*store).count(), 1);
        QCOMPARE(AlertLog(*store).all().first().message, QStringLiteral("WATCHED WORD"));
        QVERIFY(window->liveDataSink()->toPlainText().contains("WATCHED WORD"));
        click();
        verifyStopped(LiveController::buttonFace());
    }

    // Changing the type or the address of the running link starts it again
    // on the new values; the title names what runs, or nothing.
    void linkFollowsItsSettings()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, 0));
        const QString first = QStringLiteral("udp:127.0.0.1:%1").arg(holder.localPort());
        holder.close();
        window->settings().setDdeType("acarsdec");
        window->settings().setFeedListen("acarsdec", first);
        click();
        QVERIFY(window->windowTitle().endsWith(" - Linked to acarsdec"));

        QVERIFY(holder.bind(QHostAddress::LocalHost, 0));
        const QString second = QStringLiteral("udp:127.0.0.1:%1").arg(holder.localPort());
        holder.close();
        window->settings().setFeedListen("dumpvdl2", second);
        window->settings().setDdeType("dumpvdl2");
        QTRY_COMPARE(live->session().ddeType(), QStringLiteral("dumpvdl2"));
        QVERIFY(window->isLinked());
        QVERIFY(window->windowTitle().endsWith(" - Linked to dumpvdl2"));
        QCOMPARE(window->panelText(1), "Listening on " + second);
        // The first port is let go.
        QUdpSocket firstAgain;
        QVERIFY(firstAgain.bind(QHostAddress(first.section(u':', 1, 1)),
                                quint16(first.section(u':', 2).toUInt())));

        // An address that cannot be had stops the link, saying why.
        window->settings().setFeedListen("dumpvdl2", first);
        QTRY_COMPARE(Dialogs::shownMessages().size(), 1);
        QVERIFY(Dialogs::shownMessages().first().contains(first));
        verifyStopped(LiveController::buttonFace());
        QVERIFY(!window->windowTitle().contains("Linked"));
        // A stopped link has nothing to follow.
        window->settings().setDdeType("acarsdec");
        QCoreApplication::processEvents();
        QVERIFY(!window->isLinked());
    }

    void uplinkSwitchAppliesAtOnce()
    {
        MessageRecord up;
        up.setUplink();
        up.mTime = *MessageTime::parse(QStringLiteral("05/03/2024 14:07"));
        // What the recorder thread's recorder says, once earlier jobs ran.
        const auto recordsUplinks = [this] {
            bool on = false;
            recording->submit([&on](RecorderJobContext &c) { on = c.recorder.recordsUplinks(); });
            recording->drain();
            return on;
        };
        QVERIFY(recordsUplinks());
        QVERIFY(live->publisher().publish(up));
        window->settings().setSwitch(Settings::Key::UplinkMessages, 0);
        QVERIFY(!recordsUplinks());
        QVERIFY(!live->publisher().publish(up));
        window->settings().setSwitch(Settings::Key::UplinkMessages, 1);
        QVERIFY(recordsUplinks());
    }

    void unknownTypeOpensNothing()
    {
        window->settings().setDdeType("Nothing");
        click();
        QVERIFY(window->isLinked());
        QCOMPARE(live->buttonColour(), LiveController::green());
        QVERIFY(!anyTimerActive());
        click();
        verifyStopped(LiveController::buttonFace());
    }
};

QTEST_MAIN(TestLiveControl)
#include "tst_livecontrol.moc"
