#pragma once

#include <QString>
#include <QTemporaryDir>

namespace corvane::test
{

// A PostgreSQL server of its own for one test program: initdb and pg_ctl in a
// temporary folder, listening only on a socket there, stopped at the end.
// Run as root, the server runs as the user postgres (it refuses root).
// Where no server programs are installed, whyNot() says so and tests skip.
class ThrowawayServer
{
public:
    // settings: more of the server's own options ("-c shared_buffers=2GB").
    explicit ThrowawayServer(const QString &settings = {});
    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer &) = delete;
    ThrowawayServer &operator=(const ThrowawayServer &) = delete;

    bool isRunning() const { return m_running; }
    const QString &whyNot() const { return m_whyNot; }
    // A new, empty database on the server and its address.
    QString newDatabase();
    QString url(const QString &database) const;
    // Stops the server (its clients' connections drop) and starts it again,
    // as a restart or a lost network would look to a station.
    bool stop();
    bool restart();
    // Pauses every process of the server (SIGSTOP) and lets them go on: a
    // server that stops answering, with its connections left open.
    bool pause();
    bool resume();

private:
    bool run(const QString &program, const QStringList &arguments);
    bool start();
    bool startServer();
    bool signalServer(int signal);

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_whyNot;
    QString m_settings;
    bool m_running = false;
    int m_databases = 0;
};

} // namespace corvane::test
