#include "LinkTestSupport.h"
#include "formats/LiveTypes.h"
#include "live/LinkNames.h"
#include "live/LinkServer.h"
#include "store/TextCodec.h"
#include "support/TestEnvironment.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTcpServer>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::Received;

class LinkTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void namesOfTheDecoderKinds();
    void currentValueOnLinking();
    void burstArrivesOnceAndInOrder();
    void largeValuesArriveWhole();
    void nestedEventLoopKeepsOrder();
    void noServerAnswering();
    void wrongItemIsRefused();
    void serverGoingAwayIsNoticed();
    void staleSocketFileIsReplaced();
    void liveServerIsNotStolen();
    void tcpAddressHandedIn();
    void malformedFramesCloseTheLink();

private:
    std::unique_ptr<corvane::test::TestEnvironment> m_env;
    QTemporaryDir m_runtime;
};

void LinkTest::initTestCase()
{
    m_env = std::make_unique<corvane::test::TestEnvironment>();
    QVERIFY(m_runtime.isValid());
    corvane::test::useRuntimeDir(m_runtime);
}

void LinkTest::init()
{
    m_env->resetSettings();
}

void LinkTest::namesOfTheDecoderKinds()
{
    const auto linkOf = [](const char *ddeType) -> std::optional<LinkName> {
        const LiveType *type = LiveTypes::find(QString::fromLatin1(ddeType));
        if (!type || type->transport != LiveTransport::Link)
            return std::nullopt;
        return LinkName{QString::fromLatin1(type->application), QString::fromLatin1(type->topic)};
    };
    QCOMPARE(linkOf("Airmaster"), (LinkName{"Brellwick", "ACARS"}));
    QCOMPARE(linkOf("HFDL"), (LinkName{"PCHFDL", "ACARS"}));
    QCOMPARE(linkOf("ANAD"), (LinkName{"ANAD", "ACARS"}));
    QVERIFY(!linkOf("SSVHF"));
    QVERIFY(!linkOf("ARD2"));
    QCOMPARE(LiveTypes::findLink("brellwick", "Acars")->name(), QString("Airmaster"));
    QVERIFY(!LiveTypes::findLink("Brellwick", "Other"));
    QCOMPARE(LinkNames::socketPath("SkySpy", "ACARS"),
             m_runtime.filePath("corvane-link-SkySpy-ACARS"));
    QCOMPARE(LinkNames::socketPath("a/b c", "../x"), m_runtime.filePath("corvane-link-a_b_c-.._x"));
}

void LinkTest::currentValueOnLinking()
{
    LinkServer server;
    QString error;
    QVERIFY2(server.listen("SkySpy", "ACARS", "LiveData", &error), qPrintable(error));

    // No value yet: the client gets empty text.
    LinkClient first;
    Received a(first);
    QVERIFY2(first.open("SkySpy", "ACARS", "LiveData", &error), qPrintable(error));
    QTRY_COMPARE(a.values, QStringList{QString()});
    QCOMPARE(server.clientCount(), 1);

    server.setValue(QString::fromUtf8("r\u00e9sum\u00e9 \u20ac"));
    LinkClient second;
    Received b(second);
    QVERIFY(second.open("SkySpy", "ACARS", "LiveData", &error));
    QTRY_COMPARE(b.values, QStringList{QString::fromUtf8("r\u00e9sum\u00e9 \u20ac")});
    QTRY_COMPARE(a.values.size(), 2);
    QCOMPARE(server.clientCount(), 2);

    second.close();
    QTRY_COMPARE(server.clientCount(), 1);
    QVERIFY(!b.disconnected);
}

void LinkTest::burstArrivesOnceAndInOrder()
{
    LinkServer server;
    QVERIFY(server.listen("ANAD", "ACARS", "LiveData"));
    LinkClient client;
    Received r(client);
    QVERIFY(client.open("ANAD", "ACARS", "LiveData"));
    QTRY_COMPARE(r.values.size(), 1);

    QStringList sent;
    for (int i = 0; i < 1000; ++i) {
        sent << QStringLiteral("message %1\r\nline two").arg(i);
        server.setValue(sent.last());
    }
    QTRY_COMPARE_WITH_TIMEOUT(r.values.size(), 1001, 10000);
    QCOMPARE(r.values.mid(1), sent);
}

void LinkTest::largeValuesArriveWhole()
{
    LinkServer server;
    QVERIFY(server.listen("ACARSD", "ACARS", "LiveData"));
    LinkClient client;
    Received r(client);
    QVERIFY(client.open("ACARSD", "ACARS", "LiveData"));
    QTRY_COMPARE(server.clientCount(), 1);

    QByteArray bytes(200 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 251); // every byte, form feeds and line feeds included
    const QString big = TextCodec::decode(bytes);
    server.setValue(big);
    server.setValue(QStringLiteral("after"));
    server.setValue(big + big);
    QTRY_VERIFY_WITH_TIMEOUT(r.values.size() == 4 || r.disconnected, 10000);
    QVERIFY2(!r.disconnected, qPrintable(client.errorString()));
    QCOMPARE(r.values.size(), 4);
    QCOMPARE(TextCodec::encode(r.values[1]), bytes);
    QCOMPARE(r.values[2], QStringLiteral("after"));
    QCOMPARE(r.values[3], big + big);
}

void LinkTest::nestedEventLoopKeepsOrder()
{
    // A consumer that keeps the window alive during a long pass runs the
    // event loop from inside its slot; later values must not overtake.
    LinkServer server;
    QVERIFY(server.listen("POSFIX", "ACARS", "LiveData"));
    server.setValue("0");
    LinkClient client;
    QStringList order;
    connect(&client, &LinkClient::valueReceived, this, [&](const QString &v) {
        order << v;
        QTest::qWait(20);
    });
    QVERIFY(client.open("POSFIX", "ACARS", "LiveData"));
    QTRY_COMPARE(order.size(), 1);
    for (int i = 1; i <= 20; ++i)
        server.setValue(QString::number(i));
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 21, 10000);
    for (int i = 0; i <= 20; ++i)
        QCOMPARE(order[i], QString::number(i));
}

void LinkTest::noServerAnswering()
{
    LinkClient client;
    QString error;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!client.open("ZCARS", "ACARS", "LiveData", &error));
    QCOMPARE(error,
             QStringLiteral("No DDE Link. Please make sure the decoder software is running."));
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(!client.isOpen());

    // A listener that never answers the request is no link server either;
    // that shows once the answer is overdue.
    QLocalServer mute;
    QVERIFY(mute.listen(LinkNames::socketPath("ZCARS", "ACARS")));
    Received r(client);
    QVERIFY(client.open("ZCARS", "ACARS", "LiveData", &error));
    QTRY_VERIFY_WITH_TIMEOUT(r.disconnected, 10000);
    QCOMPARE(client.errorString(), LinkNames::noServerMessage());
    QVERIFY(r.values.isEmpty());
}

void LinkTest::wrongItemIsRefused()
{
    LinkServer server;
    QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
    LinkClient client;
    Received r(client);
    QString error;
    QVERIFY(client.open("SkySpy", "ACARS", "Other", &error));
    QTRY_VERIFY(r.disconnected);
    QVERIFY(!client.isLinked());
    const QString why = client.errorString();
    QVERIFY2(why.contains("refused") && why.contains("Other"), qPrintable(why));
    QVERIFY(r.values.isEmpty());
    QCOMPARE(server.clientCount(), 0);
    QVERIFY(!client.open("Sky|Spy", "ACARS", "LiveData", &error));
    QVERIFY(!error.isEmpty());
}

void LinkTest::serverGoingAwayIsNoticed()
{
    auto server = std::make_unique<LinkServer>();
    QVERIFY(server->listen("HFDL", "ACARS", "LiveData"));
    LinkClient client;
    Received r(client);
    QVERIFY(client.open("HFDL", "ACARS", "LiveData"));
    QTRY_COMPARE(server->clientCount(), 1);
    server->setValue("last words");
    server.reset();
    QTRY_VERIFY(r.disconnected);
    // Whatever had been sent is delivered before the end is reported.
    QCOMPARE(r.values, (QStringList{QString(), "last words"}));
    QVERIFY(!client.isOpen());
    QVERIFY(!client.errorString().isEmpty());
    QVERIFY(!QFile::exists(LinkNames::socketPath("HFDL", "ACARS")));
}

void LinkTest::staleSocketFileIsReplaced()
{
    // A socket file whose server died: bound, never listened on.
    const QString path = LinkNames::socketPath("Brellwick", "ACARS");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    qstrncpy(addr.sun_path, QFile::encodeName(path).constData(), sizeof addr.sun_path);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ::close(fd);
    QVERIFY(QFileInfo::exists(path));

    LinkServer server;
    QString error;
    QVERIFY2(server.listen("Brellwick", "ACARS", "LiveData", &error), qPrintable(error));
    server.setValue("fresh");
    LinkClient client;
    Received r(client);
    QVERIFY(client.open("Brellwick", "ACARS", "LiveData"));
    QTRY_COMPARE(r.values, QStringList{"fresh"});

    // A plain file of that name is not ours to remove.
    server.close();
    QFile plain(path);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(!server.listen("Brellwick", "ACARS", "LiveData", &error));
    QVERIFY(QFile::exists(path));
    QFile::remove(path);
}

void LinkTest::liveServerIsNotStolen()
{
    LinkServer first;
    QVERIFY(first.listen("ACARSD", "ACARS", "LiveData"));
    first.setValue("first");
    LinkServer second;
    QString error;
    QVERIFY(!second.listen("ACARSD", "ACARS", "LiveData", &error));
    QVERIFY2(error.contains("already served"), qPrintable(error));

    LinkClient client;
    Received r(client);
    QVERIFY(client.open("ACARSD", "ACARS", "LiveData"));
    QTRY_COMPARE(r.values, QStringList{"first"});
}

void LinkTest::tcpAddressHandedIn()
{
    LinkServer server;
    QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
    QVERIFY(server.listenTcp(0, QHostAddress::LocalHost));
    server.setValue("over tcp");

    // No local server under this name: the link must go over TCP.
    QString address = QStringLiteral("127.0.0.1:%1").arg(server.tcpPort());
    LinkClient client;
    Received r(client);
    QString error;
    // A SkySpy server refuses ANAD.
    QVERIFY(client.open("ANAD", "ACARS", "LiveData", &error, address));
    QTRY_VERIFY(r.disconnected);
    QVERIFY2(client.errorString().contains("refused"), qPrintable(client.errorString()));
    r.disconnected = false;

    server.close();
    QVERIFY(!client.open("SkySpy", "ACARS", "LiveData", &error, address));
    QCOMPARE(error, LinkNames::noServerMessage());

    QVERIFY(server.listen("SkySpy", "ACARS", "LiveData"));
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QVERIFY(server.listenTcp(port, QHostAddress::LocalHost));
    address = QStringLiteral("127.0.0.1:%1").arg(port);
    // Take the local socket away so only TCP can answer.
    QFile::remove(server.socketPath());
    QVERIFY2(client.open("SkySpy", "ACARS", "LiveData", &error, address), qPrintable(error));
    QTRY_COMPARE(r.values, QStringList{"over tcp"});
    server.setValue("second");
    QTRY_COMPARE(r.values.size(), 2);

    QVERIFY(!client.open("SkySpy", "ACARS", "LiveData", &error, "no port here"));
    QVERIFY2(error.contains("host:port"), qPrintable(error));
    QVERIFY2(error.contains("of SkySpy"), qPrintable(error));
}

void LinkTest::malformedFramesCloseTheLink()
{
    // A peer that breaks the framing, or announces a value larger than any
    // decoder block, ends the link instead of filling memory.
    const QList<QByteArray> bad = {"OK\nabc\n", "OK\n999999999\n", "OK\n12345678901\n",
                                   "OK\n3\nabc-1\n"};
    for (const QByteArray &reply : bad) {
        QLocalServer raw;
        QVERIFY(raw.listen(LinkNames::socketPath("ZCARS", "ACARS")));
        connect(&raw, &QLocalServer::newConnection, &raw, [&] {
            QLocalSocket *s = raw.nextPendingConnection();
            connect(s, &QLocalSocket::readyRead, s, [s, reply] {
                if (s->canReadLine()) {
                    s->readAll();
                    s->write(reply);
                }
            });
        });
        LinkClient client;
        Received r(client);
        QVERIFY(client.open("ZCARS", "ACARS", "LiveData"));
        QTRY_VERIFY(r.disconnected);
        QVERIFY2(client.errorString().contains("not a value"), reply.constData());
        QCOMPARE(r.values, reply.startsWith("OK\n3\n") ? QStringList{"abc"} : QStringList{});
    }
}

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
