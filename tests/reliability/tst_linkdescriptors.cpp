#include "live/LinkClient.h"
#include "live/LinkNames.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

using namespace corvane;

// A local link server that runs short of file descriptors keeps serving:
// clients it could not take wait, and are taken once descriptors are free.
class LinkDescriptorsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serverOutlivesDescriptorExhaustion();

private:
    std::unique_ptr<test::TestEnvironment> m_env;
    QTemporaryDir m_runtime;
};

void LinkDescriptorsTest::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    // This process holds the many clients itself.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < 1024 && limit.rlim_max >= 1024) {
        limit.rlim_cur = 1024;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void LinkDescriptorsTest::serverOutlivesDescriptorExhaustion()
{
    QProcess server;
    server.setChildProcessModifier([] {
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    server.start(QStringLiteral(CORVANE_BINARY),
                 {"--data-dir", m_env->dataDir(), "link", "serve", "SkySpy", "ACARS"});
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += server.readAllStandardOutput()).contains("serving"), 10000);
    server.write("hello\f");
    const QString path = LinkNames::socketPath("SkySpy", "ACARS");

    std::vector<std::unique_ptr<QLocalSocket>> crowd;
    for (int i = 0; i < 150; ++i) {
        crowd.push_back(std::make_unique<QLocalSocket>());
        crowd.back()->connectToServer(path);
    }
    // Long enough for the server to run out and back off a few times.
    QTest::qWait(1500);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(server.state(), QProcess::Running);
    crowd.clear();

    LinkClient client;
    QString error;
    QVERIFY2(client.open("SkySpy", "ACARS", LinkNames::defaultItem(), &error), qPrintable(error));
    QStringList values;
    connect(&client, &LinkClient::valueReceived, this, [&](const QString &v) { values << v; });
    QTRY_COMPARE_WITH_TIMEOUT(values, QStringList{"hello"}, 15000);
    QVERIFY(QFileInfo::exists(path));

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    // Stopping still removes the socket file.
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(LinkDescriptorsTest)
#include "tst_linkdescriptors.moc"
