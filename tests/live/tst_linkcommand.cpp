#include "LinkTestSupport.h"
#include "live/LinkNames.h"
#include "live/LinkServer.h"
#include "support/TestEnvironment.h"

#include <QProcess>

#include <csignal>

using namespace corvane;
using corvane::test::Received;

// corvane link serve and watch, run as the programs they are.
class LinkCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serveToWatchThroughPipes();
    void watchWithoutServer();
    void watchSeesTheServerGo();
    void serveRefusesASecondServer();
    void usageErrors();

private:
    std::unique_ptr<QProcess> start(const QStringList &args);
    static bool waitForLine(QProcess &p, const QByteArray &text);

    std::unique_ptr<corvane::test::TestEnvironment> m_env;
    QTemporaryDir m_runtime;
};

void LinkCommandTest::initTestCase()
{
    m_env = std::make_unique<corvane::test::TestEnvironment>();
    corvane::test::useRuntimeDir(m_runtime);
}

std::unique_ptr<QProcess> LinkCommandTest::start(const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    p->start(QStringLiteral(CORVANE_BINARY),
             QStringList{"--data-dir", m_env->dataDir(), "link"} + args);
    return p;
}

bool LinkCommandTest::waitForLine(QProcess &p, const QByteArray &text)
{
    QByteArray seen;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (!p.waitForReadyRead(200) && p.state() != QProcess::Running)
            return false;
        seen += p.readAllStandardOutput();
        if (seen.contains(text))
            return true;
    }
    return false;
}

void LinkCommandTest::serveToWatchThroughPipes()
{
    auto serve = start({"serve", "SkySpy", "ACARS", "--tcp", "127.0.0.1:0"});
    QVERIFY(serve->waitForStarted());
    // Port 0 is no port to serve on.
    QVERIFY(serve->waitForFinished(5000));
    QCOMPARE(serve->exitCode(), 2);

    serve = start({"serve", "SkySpy", "ACARS"});
    QVERIFY(waitForLine(*serve, "serving SkySpy|ACARS!LiveData"));
    // The first value is served before anyone links.
    serve->write("first\f");

    auto watch = start({"watch", "SkySpy", "ACARS"});
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += watch->readAllStandardOutput()).contains("first\f"), 10000);
    QCOMPARE(got, QByteArray("first\f"));

    // Windows-1252 bytes pass through unchanged, split writes join up, and
    // the last chunk counts at the end of input.
    serve->write("caf\xe9 \x80 line\r\nnext\f");
    serve->write("half");
    serve->write(" and half\fdangling");
    serve->closeWriteChannel();
    const QByteArray expected = "first\fcaf\xe9 \x80 line\r\nnext\fhalf and half\fdangling\f";
    QTRY_VERIFY_WITH_TIMEOUT((got += watch->readAllStandardOutput()).size() >= expected.size(),
                             10000);
    QCOMPARE(got, expected);

    // The server keeps serving after its input ended, until interrupted.
    QVERIFY(!serve->waitForFinished(300));
    ::kill(pid_t(watch->processId()), SIGINT);
    QVERIFY(watch->waitForFinished(5000));
    QCOMPARE(watch->exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch->exitCode(), 0);
    serve->terminate();
    QVERIFY(serve->waitForFinished(5000));
    QCOMPARE(serve->exitStatus(), QProcess::NormalExit);
    QCOMPARE(serve->exitCode(), 0);
    QVERIFY(!QFile::exists(LinkNames::socketPath("SkySpy", "ACARS")));
}

void LinkCommandTest::watchWithoutServer()
{
    auto watch = start({"watch", "HFDL", "ACARS", "--item", "LiveData"});
    QVERIFY(watch->waitForFinished(10000));
    QCOMPARE(watch->exitCode(), 1);
    QCOMPARE(watch->readAllStandardError().trimmed(),
             QByteArray("No DDE Link. Please make sure the decoder software is running."));
    QVERIFY(watch->readAllStandardOutput().isEmpty());
}

void LinkCommandTest::watchSeesTheServerGo()
{
    auto server = std::make_unique<LinkServer>();
    QVERIFY(server->listen("POSFIX", "ACARS", "Other"));
    server->setValue("v1");
    auto watch = start({"watch", "POSFIX", "ACARS", "--item=Other"});
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += watch->readAllStandardOutput()) == "v1\f", 10000);
    server.reset();
    QVERIFY(watch->waitForFinished(10000));
    QCOMPARE(watch->exitCode(), 1);
    QVERIFY(watch->readAllStandardError().contains("closed"));
}

void LinkCommandTest::serveRefusesASecondServer()
{
    LinkServer server;
    QVERIFY(server.listen("ANAD", "ACARS", "LiveData"));
    auto serve = start({"serve", "ANAD", "ACARS"});
    QVERIFY(serve->waitForFinished(10000));
    QCOMPARE(serve->exitCode(), 1);
    QVERIFY(serve->readAllStandardError().contains("already served"));
    QVERIFY(server.isListening());
}

void LinkCommandTest::usageErrors()
{
    const QList<QStringList> cases = {{},
                                      {"listen", "A", "B"},
                                      {"watch", "A"},
                                      {"watch", "A", "B", "--item"},
                                      {"watch", "A", "B", "--bogus"},
                                      {"watch", "A|B", "C"},
                                      {"watch", "A", "B", "--tcp", "4000"},
                                      {"serve", "A", "B", "--tcp", "http"}};
    for (const QStringList &args : cases) {
        auto p = start(args);
        QVERIFY(p->waitForFinished(10000));
        QVERIFY2(p->exitCode() == 2, qPrintable(args.join(' ')));
        QVERIFY(!p->readAllStandardError().isEmpty());
    }
}

QTEST_GUILESS_MAIN(LinkCommandTest)
#include "tst_linkcommand.moc"
