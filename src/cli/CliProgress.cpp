#include "CliProgress.h"

#include <unistd.h>

namespace corvane
{

CliProgress::CliProgress(QTextStream &err) : m_err(err), m_terminal(isatty(STDERR_FILENO) != 0)
{
    m_clock.start();
}

void CliProgress::record(const QString &name, qint64 stored, qint64 position, qint64 size)
{
    if (!m_terminal || m_clock.elapsed() < 200)
        return;
    m_clock.restart();
    const int percent = size > 0 ? int(100 * position / size) : 0;
    const int filled = percent / 5;
    m_err << '\r' << '[' << QString(filled, u'#') << QString(20 - filled, u' ') << "] " << percent
          << "% " << name.right(40) << ", " << stored << " stored" << Qt::flush;
    m_drawn = true;
}

void CliProgress::message(const QString &text)
{
    done();
    m_err << text << '\n' << Qt::flush;
}

void CliProgress::done()
{
    if (m_drawn)
        m_err << '\r' << QString(79, u' ') << '\r' << Qt::flush;
    m_drawn = false;
}

} // namespace corvane
