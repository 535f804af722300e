#include "LinkTestSupport.h"
#include "formats/AirNavFamilyFixtures.h"
#include "formats/ImportObserver.h"
#include "live/LinkNames.h"
#include "live/LinkServer.h"
#include "live/LivePublisher.h"
#include "live/LiveSession.h"
#include "recording/RecorderThread.h"
#include "store/MessageRecorder.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QSemaphore>
#include <QSignalSpy>

using namespace corvane;

namespace
{

QString skySpy(const QString &reg, const QString &flight = QStringLiteral("BA0123"))
{
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: " + flight +
           "\r\nMessage content:-\r\nTEXT\r\n" + QString(59, u'-') + "[01/02/2004 12:34]\r\n";
}

QByteArray ard2(const QByteArray &reg)
{
    test::family::Header h;
    h.reg = reg;
    const QByteArray body = "LINE ONE\r\n";
    return test::family::ard2(h, false, &body);
}

} // namespace

// The live session over real links: what reaches the store, and when.
class LiveSessionTest : public QObject
{
    Q_OBJECT

    test::TestEnvironment env;
    QTemporaryDir runtime;
    std::unique_ptr<Store> store;
    std::unique_ptr<RecorderThread> recording;
    std::unique_ptr<LiveSession> session;

    // Lets every pass handed to the recorder end and report.
    void settle()
    {
        recording->drain();
        QCoreApplication::processEvents();
    }

    qint64 rows(const QString &where = QStringLiteral("1"))
    {
        SqliteStatement st(
            store->acarsLog(),
            QStringLiteral("SELECT count(*) FROM tMessage WHERE %1").arg(where).toUtf8());
        return st.step() ? st.int64(0) : -1;
    }
    QStringList regs()
    {
        SqliteStatement st(store->acarsLog(), "SELECT mReg FROM tMessage ORDER BY rowid");
        QStringList out;
        while (st.step())
            out << st.text(0);
        return out;
    }

private slots:
    void initTestCase() { test::useRuntimeDir(runtime); }
    void init()
    {
        env.resetSettings();
        store = std::make_unique<Store>();
        store->open(env.newDataDir());
        recording = std::make_unique<RecorderThread>();
        QVERIFY(recording->start(store->folder()));
        session = std::make_unique<LiveSession>(*recording);
    }
    void cleanup()
    {
        session.reset();
        recording.reset();
        store.reset();
    }

    void connectTimeValueDroppedThenBurstRecordedOnceInOrder()
    {
        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        server.setValue(skySpy(".G-STAL"));
        QSignalSpy passes(session.get(), &LiveSession::passFinished);
        QVERIFY(session->start("SkySpy"));
        QCOMPARE(session->transport(), LiveSession::Transport::Link);
        QTRY_COMPARE(server.clientCount(), 1);
        QStringList sent;
        for (int i = 0; i < 40; ++i) {
            sent << QStringLiteral("G-B%1").arg(i, 3, 10, QLatin1Char('0'));
            server.setValue(skySpy(u'.' + sent.last()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(rows(), qint64(sent.size()), 10000);
        QCOMPARE(regs(), sent);
        // One pass per value; the first only discarded the connect-time value.
        // The results reach the session once the passes committed.
        QTRY_COMPARE(passes.size(), sent.size() + 1);
        QVERIFY(passes.first().first().value<LivePassResult>().discarded);
        const auto last = passes.last().first().value<LivePassResult>();
        QCOMPARE(last.stored, 1);
        QCOMPARE(last.countsText(), QStringLiteral("0/0")); // the messages are from 2004
        QCOMPARE(session->newPairs().count(), double(sent.size()));
        QCOMPARE(session->newPairs().registrations().first(), sent.last());
        // A value repeated by the decoder is another message, not a resend.
        server.setValue(skySpy(u'.' + sent.first()));
        QTRY_COMPARE(rows(), qint64(sent.size() + 1));
        session->stop();
        QVERIFY(session->flags().restart);
    }

    void valueArrivingWhileTheRecorderIsBusyGetsItsOwnPass()
    {
        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        QSignalSpy passes(session.get(), &LiveSession::passFinished);
        QVERIFY(session->start("SkySpy"));
        QTRY_COMPARE(passes.size(), 1); // the empty connect-time value
        // Another job (an import, say) holds the recorder meanwhile.
        QSemaphore hold;
        recording->submit([&hold](RecorderJobContext &) { hold.acquire(); });
        server.setValue(skySpy(".G-FRST") + skySpy(".G-SCND"));
        QTRY_COMPARE(session->passesInFlight(), 1);
        server.setValue(skySpy(".G-LATE"));
        QTRY_COMPARE(session->passesInFlight(), 2);
        QCOMPARE(rows(), 0);
        hold.release();
        QTRY_COMPARE(rows(), 3);
        QCOMPARE(regs(), (QStringList{"G-FRST", "G-SCND", "G-LATE"}));
        QTRY_COMPARE(passes.size(), 3);
        QCOMPARE(passes.at(1).first().value<LivePassResult>().stored, 2);
    }

    void noServerAndUnknownTypes()
    {
        QString error;
        bool noServer = false;
        QVERIFY(!session->start("HFDL", {}, &error, &noServer));
        QVERIFY(noServer);
        QCOMPARE(error, LinkNames::noServerMessage());
        QVERIFY(!session->isRunning());
        QVERIFY(!session->timer("tmrDDE")->isActive());

        // A value no reader knows starts nothing but is accepted.
        QVERIFY(session->start("NoSuchDecoder", {}, &error, &noServer));
        QCOMPARE(session->transport(), LiveSession::Transport::None);
        QVERIFY(!session->timer("tmrDDE")->isActive());
        session->stop();

        // ZCARS links but records nothing.
        LinkServer server;
        QVERIFY(server.listen("ZCARS", "ACARS", "LiveData"));
        QSignalSpy passes(session.get(), &LiveSession::passFinished);
        QVERIFY(session->start("ZCARS"));
        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue(skySpy(".G-ZCAR"));
        QTRY_COMPARE(session->waitingValues(), 0);
        QTest::qWait(100);
        QCOMPARE(rows(), 0);
        QCOMPARE(passes.size(), 0);
    }

    void serverGoingAwayReportsAfterRecordingWhatCame()
    {
        auto server = std::make_unique<LinkServer>();
        QVERIFY(server->listen("POSFIX", "ACARS", "LiveData"));
        QSignalSpy broken(session.get(), &LiveSession::linkBroken);
        QSignalSpy linked(session.get(), &LiveSession::linked);
        QVERIFY(session->start("SkySpy") == false); // nobody serves SkySpy here
        server->close();
        server = std::make_unique<LinkServer>();
        QVERIFY(server->listen("SkySpy", "ACARS", "LiveData"));
        QVERIFY(session->start("SkySpy"));
        QTRY_COMPARE(linked.size(), 1);
        server->setValue(skySpy(".G-ONEE"));
        server->setValue(skySpy(".G-TWOO"));
        server.reset(); // gone before the dispatch timer ticks
        QTRY_COMPARE(broken.size(), 1);
        QVERIFY(broken.first().at(1).toBool());
        QCOMPARE(regs(), (QStringList{"G-ONEE", "G-TWOO"}));
        QVERIFY(!session->isRunning());
        QVERIFY(!session->timer("tmrDDE")->isActive());
        QVERIFY(session->flags().restart);

        // Linking again discards the new connect-time value once more.
        server = std::make_unique<LinkServer>();
        QVERIFY(server->listen("SkySpy", "ACARS", "LiveData"));
        server->setValue(skySpy(".G-TWOO"));
        QVERIFY(session->start("SkySpy"));
        QTRY_COMPARE(linked.size(), 2);
        server->setValue(skySpy(".G-THRE"));
        // Stopping records what has arrived but has not been dispatched.
        QTRY_COMPARE(session->waitingValues(), 2);
        session->stop();
        settle();
        QCOMPARE(regs(), (QStringList{"G-ONEE", "G-TWOO", "G-THRE"}));
        QCOMPARE(broken.size(), 1);
    }

    void ard2FileTakesOnlyCompleteAppendedLines()
    {
        const QString path = env.writeFile("ard2/live.txt", ard2(".G-OLD1"));
        QSignalSpy passes(session.get(), &LiveSession::passFinished);
        QString error;
        QVERIFY2(session->start("ARD2", path, &error), qPrintable(error));
        QCOMPARE(session->transport(), LiveSession::Transport::LineFile);
        QCOMPARE(session->timer("tmrLive")->interval(), 1000);
        QVERIFY(session->timer("tmrLive")->isActive());
        QVERIFY(session->timer("tmrDDE")->isActive());

        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        const QByteArray next = ard2(".G-NEW1");
        const qsizetype cut = next.indexOf("Message content");
        file.write(next.left(cut));
        file.flush();
        session->pollLines(); // the header line is complete, the rest is not
        session->dispatch();
        settle();
        QCOMPARE(rows(), 0); // the file as it stood at the start was discarded
        file.write(next.mid(cut) + ard2(".G-NEW2").left(30));
        file.flush();
        session->pollLines();
        session->dispatch();
        settle();
        QCOMPARE(regs(), QStringList{"G-NEW1"});
        file.write(ard2(".G-NEW2").mid(30));
        file.flush();
        session->pollLines();
        session->dispatch();
        settle();
        QCOMPARE(regs(), (QStringList{"G-NEW1", "G-NEW2"}));
        // Nothing new: no pass.
        const auto before = passes.size();
        session->pollLines();
        session->dispatch();
        settle();
        QCOMPARE(passes.size(), before);

        session->stop();
        QVERIFY(!session->timer("tmrLive")->isActive());
        QVERIFY(!session->start("ARD2", env.path("ard2/missing.txt"), &error));
        QVERIFY(!error.isEmpty());
    }

    void ard2EmptyFileAtStartLosesNoLaterLine()
    {
        const QString path = env.writeFile("ard2/empty.txt", {});
        QVERIFY(session->start("ARD2", path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(ard2(".G-FRST"));
        file.flush();
        QTRY_COMPARE_WITH_TIMEOUT(regs(), QStringList{"G-FRST"}, 5000);
    }

    void publishesRecordedMessagesWhileSwitchedOn()
    {
        LivePublisher publisher;
        QVERIFY(publisher.start());
        LinkClient watcher;
        test::Received seen(watcher);
        QVERIFY(watcher.open(LivePublisher::application(), LivePublisher::topic(),
                             LivePublisher::item()));
        QTRY_COMPARE(seen.values, QStringList{"DDEServer"});

        LinkServer server;
        QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
        session->setPublisher(&publisher);
        QVERIFY(session->start("SkySpy"));
        QTRY_COMPARE(server.clientCount(), 1);
        server.setValue(skySpy(".G-QUIE"));
        QTRY_COMPARE(rows(), 1);
        settle(); // its result has reached the session, unpublished
        session->setPublishing(true);
        server.setValue(skySpy(".G-LOUD"));
        QTRY_COMPARE(seen.values.size(), 2);
        QVERIFY(seen.values.last().startsWith("ACARS mode: 2  Aircraft reg: G-LOUD."));
        QCOMPARE(rows(), 2);
    }
};

QTEST_GUILESS_MAIN(LiveSessionTest)
#include "tst_livesession.moc"
