#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

namespace corvane
{

// A status line of a long command on stderr, redrawn in place at most five
// times a second, and only when stderr is a terminal: scripts see just the
// summary on stdout.
class CliStatus
{
public:
    explicit CliStatus(QTextStream &err);
    ~CliStatus();

    void show(const QString &text);
    // Shows the text whatever the time since the last one.
    void showNow(const QString &text);
    void clear();

private:
    QTextStream &m_err;
    QElapsedTimer m_clock;
    bool m_terminal;
    bool m_drawn = false;
};

} // namespace corvane
