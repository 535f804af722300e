#include "LinkCommand.h"

#include "StopSignals.h"
#include "TerminalText.h"

#include "formats/LiveTypes.h"
#include "live/LinkClient.h"
#include "live/LinkNames.h"
#include "live/LinkServer.h"
#include "settings/Settings.h"
#include "store/TextCodec.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane
{

QString LinkCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane link serve APPLICATION TOPIC [--item NAME] [--tcp [HOST:]PORT]\n"
        "       corvane link watch APPLICATION TOPIC [--item NAME]\n\n"
        "serve: serves the item (default \"LiveData\") of APPLICATION|TOPIC from\n"
        "standard input. Each chunk ended by a form feed becomes the current value\n"
        "and goes to every linked client; so does the last chunk at the end of the\n"
        "input. The server then keeps serving until interrupted. --tcp also listens\n"
        "on a TCP port (all interfaces, or HOST only) for clients on other machines.\n\n"
        "watch: links to the item and prints each value it receives followed by a\n"
        "form feed. A link of a decoder kind goes to the \"host:port\" that settings\n"
        "group \"Links\" names for it, otherwise to the local server.\n\n"
        "Values are Windows-1252 text and pass through unchanged; on a terminal,\n"
        "control characters other than line breaks and tabs are shown escaped\n"
        "(as \\x1b). Exit status 1 when no server answers or the link closes, 0\n"
        "when interrupted.\n");
}

namespace
{

// Reads standard input as it comes, without blocking the event loop, and
// cuts it into form-feed separated values.
class StdinChunks
{
public:
    explicit StdinChunks(LinkServer &server) : m_server(server)
    {
        m_notifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this] { readSome(); });
    }

private:
    void readSome()
    {
        char buffer[65536];
        // One read per wake-up: a pipe or terminal hands over what it has
        // without waiting for more.
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            m_notifier->setEnabled(false);
            if (!m_pending.isEmpty())
                m_server.setValue(TextCodec::decode(m_pending));
            m_pending.clear();
            return;
        }
        qsizetype from = m_pending.size();
        m_pending.append(buffer, n);
        qsizetype start = 0;
        for (qsizetype ff; (ff = m_pending.indexOf('\f', from)) >= 0; from = start) {
            m_server.setValue(TextCodec::decode(m_pending.constData() + start, ff - start));
            start = ff + 1;
        }
        m_pending.remove(0, start);
    }

    LinkServer &m_server;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
};

// Takes "--item NAME" and "--tcp PORT" (or "--name=value") out of args.
bool takeOption(QStringList &args, const QString &option, QString *value, QString *error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == option) {
            if (i + 1 >= args.size()) {
                *error = option + QStringLiteral(" needs a value");
                return false;
            }
            *value = args[i + 1];
            args.remove(i, 2);
            return true;
        }
        if (args[i].startsWith(option + u'=')) {
            *value = args[i].mid(option.size() + 1);
            args.remove(i);
            return true;
        }
    }
    return true;
}

} // namespace

int LinkCommand::run(CliContext &c)
{
    QStringList args = c.args;
    QString item = LinkNames::defaultItem();
    QString tcp;
    QString error;
    if (!takeOption(args, QStringLiteral("--item"), &item, &error) ||
        !takeOption(args, QStringLiteral("--tcp"), &tcp, &error)) {
        c.err << "corvane link: " << error << '\n' << usage();
        return ExitUsage;
    }
    for (const QString &a : args) {
        if (a.startsWith(u'-')) {
            c.err << "corvane link: unknown option \"" << a << "\"\n" << usage();
            return ExitUsage;
        }
    }
    if (args.size() != 3 ||
        (args[0] != QLatin1String("serve") && args[0] != QLatin1String("watch"))) {
        c.err << "corvane link: expected serve or watch, an application and a topic\n" << usage();
        return ExitUsage;
    }
    const QString problem = LinkNames::checkNames(args[1], args[2], item);
    if (!problem.isEmpty()) {
        c.err << "corvane link: " << problem << '\n';
        return ExitUsage;
    }
    if (args[0] == QLatin1String("serve"))
        return serve(c, args[1], args[2], item, tcp);
    if (!tcp.isEmpty()) {
        c.err << "corvane link: --tcp is for serve; point a watch at another machine in "
                 "settings group \"Links\"\n";
        return ExitUsage;
    }
    return watch(c, args[1], args[2], item);
}

int LinkCommand::serve(CliContext &c, const QString &application, const QString &topic,
                       const QString &item, const QString &tcp)
{
    QHostAddress address = QHostAddress::Any;
    quint16 port = 0;
    if (!tcp.isEmpty()) {
        bool ok = false;
        uint number = tcp.toUInt(&ok);
        if (!ok) {
            const auto parsed = LinkNames::parseAddress(tcp);
            ok = parsed && address.setAddress(parsed->host);
            number = parsed ? parsed->port : 0;
        }
        if (!ok || number == 0 || number > 65535) {
            c.err << "corvane link: --tcp wants a port or an address:port, not \"" << tcp << "\"\n";
            return ExitUsage;
        }
        port = quint16(number);
    }

    LinkServer server;
    QString error;
    if (!server.listen(application, topic, item, &error)) {
        c.err << "corvane link: " << error << '\n';
        return ExitFailure;
    }
    if (port != 0 && !server.listenTcp(port, address, &error)) {
        c.err << "corvane link: " << error << '\n';
        return ExitFailure;
    }
    c.out << "serving " << application << '|' << topic << '!' << item << " on "
          << server.socketPath();
    if (port != 0)
        c.out << " and TCP port " << server.tcpPort();
    c.out << '\n';
    c.out.flush();

    QEventLoop loop;
    StopSignals stop(loop);
    QObject::connect(&server, &LinkServer::listenFailed, &loop, [&](const QString &why) {
        c.err << "corvane link: " << why << '\n';
        c.err.flush();
        loop.exit(ExitFailure);
    });
    StdinChunks input(server);
    const int status = loop.exec();
    server.close();
    return status;
}

int LinkCommand::watch(CliContext &c, const QString &application, const QString &topic,
                       const QString &item)
{
    // A decoder kind's link goes where settings group "Links" points it.
    const LiveType *type = LiveTypes::findLink(application, topic);
    const QString address = type ? Settings().linkAddress(type->name()) : QString();
    LinkClient client;
    QString error;
    if (!client.open(application, topic, item, &error, address)) {
        c.err << error << '\n';
        return ExitFailure;
    }
    c.out.flush();
    QEventLoop loop;
    StopSignals stop(loop);
    bool wasLinked = false;
    QObject::connect(&client, &LinkClient::linked, &loop, [&] { wasLinked = true; });
    // A pipe gets the values as they are, to replay them; a terminal gets
    // their control characters escaped, line breaks and tabs aside.
    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    QObject::connect(&client, &LinkClient::valueReceived, &loop, [terminal](const QString &value) {
        const QByteArray bytes =
            TextCodec::encode(terminal ? TerminalText::escaped(value, u"\r\n\t") : value) + '\f';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
    });
    QObject::connect(&client, &LinkClient::disconnected, &loop, [&] {
        if (!wasLinked) { // refused, or nobody answered
            c.err << client.errorString() << '\n';
            c.err.flush();
            loop.exit(ExitFailure);
            return;
        }
        c.err << "corvane link: the link to " << application << '|' << topic << '!' << item
              << " closed: " << client.errorString() << '\n';
        c.err.flush();
        loop.exit(ExitFailure);
    });
    return loop.exec();
}

} // namespace corvane
