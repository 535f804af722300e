#include "LinkTestSupport.h"
#include "live/LinkNames.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "support/TestEnvironment.h"

#include <QProcess>

#include <csignal>

using namespace corvane;

namespace
{

QByteArray skySpy(const QByteArray &reg)
{
    return "ACARS mode: 2  Aircraft reg: " + reg +
           "\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\nFlight id: BA0123"
           "\r\nMessage content:-\r\nTEXT\r\n" +
           QByteArray(59, '-') + "[01/02/2004 12:34]\r\n";
}

} // namespace

// corvane live as the program it is, fed by corvane link serve.
class LiveCommandTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TestEnvironment> env;
    QTemporaryDir runtime;
    QString dataDir;

    std::unique_ptr<QProcess> start(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        p->start(QStringLiteral(CORVANE_BINARY), QStringList{"--data-dir", dataDir} + args);
        return p;
    }
    // Waits until the output read so far holds text count times.
    static bool waitFor(QProcess &p, QByteArray &seen, const QByteArray &text, int count = 1,
                        bool err = false)
    {
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            seen += err ? p.readAllStandardError() : p.readAllStandardOutput();
            if (seen.count(text) >= count)
                return true;
            if (!p.waitForReadyRead(100) && p.state() != QProcess::Running) {
                seen += err ? p.readAllStandardError() : p.readAllStandardOutput();
                return seen.count(text) >= count;
            }
        }
        return false;
    }
    QStringList regs()
    {
        Store store;
        store.open(dataDir);
        SqliteStatement st(store.acarsLog(), "SELECT mReg FROM tMessage ORDER BY rowid");
        QStringList out;
        while (st.step())
            out << st.text(0);
        return out;
    }

private slots:
    void initTestCase()
    {
        env = std::make_unique<test::TestEnvironment>();
        test::useRuntimeDir(runtime);
    }
    void init() { dataDir = env->newDataDir(); }

    void recordsWhatComesAfterTheLinkAndLinksAgain()
    {
        auto serve = start({"link", "serve", "SkySpy", "ACARS"});
        QByteArray serveOut;
        QVERIFY(waitFor(*serve, serveOut, "serving"));
        serve->write(skySpy(".G-STAL") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));

        auto live = start({"live", "--type", "SkySpy", "--publish"});
        QByteArray out, err;
        QVERIFY(waitFor(*live, out, "left out"));
        auto watch = start({"link", "watch", "Corvane", "ACARS"});
        QByteArray watched;
        QVERIFY(waitFor(*watch, watched, "DDEServer\f"));

        serve->write(skySpy(".G-AAAA") + '\f' + skySpy(".G-BBBB") + skySpy(".G-CCCC") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));
        QVERIFY2(waitFor(*live, out, " stored, ", 2), out.constData());
        QVERIFY(out.contains("1 stored, 0 skipped, 0 rejected; today: 0/0"));
        QVERIFY(out.contains("2 stored, 0 skipped, 0 rejected; today: 0/0"));
        QVERIFY(waitFor(*watch, watched, "\f", 4));
        QVERIFY(watched.contains("Aircraft reg: G-CCCC."));

        // The decoder goes away and comes back: its new connect-time value
        // is left out again.
        serve->terminate();
        QVERIFY(serve->waitForFinished(5000));
        QVERIFY(waitFor(*live, err, "closed", 1, true));
        serve = start({"link", "serve", "SkySpy", "ACARS"});
        serve->write(skySpy(".G-CCCC") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));
        QVERIFY(waitFor(*live, err, "again\n", 1, true));
        QVERIFY(waitFor(*live, out, "left out", 2));
        serve->write(skySpy(".G-DDDD") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));
        QVERIFY(waitFor(*live, out, " stored, ", 3));

        ::kill(pid_t(live->processId()), SIGINT);
        QVERIFY(live->waitForFinished(5000));
        QCOMPARE(live->exitStatus(), QProcess::NormalExit);
        QCOMPARE(live->exitCode(), 0);
        QCOMPARE(regs(), (QStringList{"G-AAAA", "G-BBBB", "G-CCCC", "G-DDDD"}));
        watch->terminate();
        serve->terminate();
        QVERIFY(watch->waitForFinished(5000));
        QVERIFY(serve->waitForFinished(5000));
    }

    void interruptStoresWhatHasArrived()
    {
        auto serve = start({"link", "serve", "ACARSD", "ACARS"});
        QByteArray serveOut;
        QVERIFY(waitFor(*serve, serveOut, "serving"));
        auto live = start({"live", "--type", "SkySpy"});
        QByteArray out;
        // Not served: the link is refused at once.
        QVERIFY(live->waitForFinished(10000));
        QCOMPARE(live->exitCode(), 1);
        QCOMPARE(live->readAllStandardError().trimmed(),
                 QByteArray("No DDE Link. Please make sure the decoder software is running."));
        serve->terminate();
        QVERIFY(serve->waitForFinished(5000));

        serve = start({"link", "serve", "SkySpy", "ACARS"});
        QVERIFY(waitFor(*serve, serveOut, "serving", 2));
        live = start({"live", "--type", "SkySpy"});
        QVERIFY(waitFor(*live, out, "left out"));
        // The interrupt comes before the dispatch tick: the value is stored all the same.
        serve->write(skySpy(".G-LAST") + '\f');
        QVERIFY(serve->waitForBytesWritten(5000));
        QTest::qWait(100);
        ::kill(pid_t(live->processId()), SIGTERM);
        QVERIFY(live->waitForFinished(5000));
        QCOMPARE(live->exitCode(), 0);
        QCOMPARE(regs(), QStringList{"G-LAST"});
        serve->terminate();
        QVERIFY(serve->waitForFinished(5000));
    }

    void usageErrors()
    {
        for (const QStringList &args :
             {QStringList{"live", "--type", "Nothing"}, QStringList{"live", "--type", "ARD2"},
              QStringList{"live", "--type", "SkySpy", "--file", "x.log"}}) {
            auto live = start(args);
            QVERIFY(live->waitForFinished(10000));
            QCOMPARE(live->exitCode(), 2);
        }
    }
};

QTEST_GUILESS_MAIN(LiveCommandTest)
#include "tst_livecommand.moc"
