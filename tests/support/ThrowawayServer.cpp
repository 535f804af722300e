#include "ThrowawayServer.h"

#include "store/PgConnection.h"
#include "store/ServerUrl.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace corvane::test
{

namespace
{

constexpr int kPort = 5433;

// CORVANE_PG_BIN, then Debian's versioned folders (newest first), then PATH.
QString serverPrograms()
{
    const QString given = qEnvironmentVariable("CORVANE_PG_BIN");
    if (!given.isEmpty())
        return given;
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : found)
        if (QFile::exists(versions.filePath(v + QStringLiteral("/bin/initdb"))))
            return versions.filePath(v + QStringLiteral("/bin"));
    for (const QString &dir : qEnvironmentVariable("PATH").split(u':'))
        if (QFile::exists(dir + QStringLiteral("/initdb")))
            return dir;
    return {};
}

} // namespace

ThrowawayServer::ThrowawayServer(const QString &settings)
    : m_dir(QDir::tempPath() + QStringLiteral("/corvane-pg-XXXXXX")), m_settings(settings)
{
    m_bin = serverPrograms();
    if (m_bin.isEmpty())
        m_whyNot = QStringLiteral("no PostgreSQL server programs (install postgresql-15)");
    else if (!m_dir.isValid())
        m_whyNot = QStringLiteral("cannot make a temporary folder");
    else
        m_running = start();
}

ThrowawayServer::~ThrowawayServer()
{
    if (m_running)
        resume(); // a paused server would never stop
    if (m_running)
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

bool ThrowawayServer::run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    QString path = m_bin + u'/' + program;
    QStringList args = arguments;
    if (geteuid() == 0) {
        args.prepend(path);
        args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} +
               args;
        path = QStringLiteral("runuser");
    }
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(path, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_whyNot = program + QStringLiteral(" failed: ") +
                   QString::fromLocal8Bit(p.readAll()).trimmed() + p.errorString();
        return false;
    }
    return true;
}

bool ThrowawayServer::start()
{
    if (geteuid() == 0) {
        const passwd *user = getpwnam("postgres");
        if (!user) {
            m_whyNot = QStringLiteral("running as root and there is no user postgres to run the "
                                      "server as");
            return false;
        }
        if (chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_whyNot = QStringLiteral("cannot hand the temporary folder to postgres");
            return false;
        }
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("corvane"),
              QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("--no-sync")}))
        return false;
    return startServer();
}

bool ThrowawayServer::stop()
{
    m_running =
        !run(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

// The postmaster and every process it started (each backend leads a
// process group of its own).
bool ThrowawayServer::signalServer(int signal)
{
    QFile pidFile(m_dir.filePath(QStringLiteral("data/postmaster.pid")));
    if (!pidFile.open(QIODevice::ReadOnly))
        return false;
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    if (postmaster <= 1 || ::kill(pid_t(postmaster), signal) != 0)
        return false;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...: the name may hold blanks, so read after its ")".
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == postmaster)
            ::kill(pid_t(entry.toLongLong()), signal);
    }
    return true;
}

bool ThrowawayServer::pause()
{
    return signalServer(SIGSTOP);
}

bool ThrowawayServer::resume()
{
    return signalServer(SIGCONT);
}

bool ThrowawayServer::restart()
{
    m_running = startServer();
    return m_running;
}

bool ThrowawayServer::startServer()
{
    const QString data = m_dir.filePath(QStringLiteral("data"));
    const QString options =
        QStringLiteral("-k %1 -p %2 -c listen_addresses= -c fsync=off -c synchronous_commit=off %3")
            .arg(m_dir.path())
            .arg(kPort)
            .arg(m_settings);
    return run(QStringLiteral("pg_ctl"),
               {QStringLiteral("-D"), data, QStringLiteral("-o"), options, QStringLiteral("-l"),
                m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                QStringLiteral("start")});
}

QString ThrowawayServer::url(const QString &database) const
{
    // One arg() call: the encoded folder holds "%2F", which a second call would take for a marker.
    return QStringLiteral("postgresql://corvane@%1:%2/%3")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(m_dir.path())), QString::number(kPort),
             database);
}

QString ThrowawayServer::newDatabase()
{
    const QString name = QStringLiteral("store%1").arg(++m_databases);
    PgConnection admin;
    admin.open(ServerUrl::parse(url(QStringLiteral("postgres"))));
    admin.exec("CREATE DATABASE " + name.toLatin1());
    return url(name);
}

} // namespace corvane::test
