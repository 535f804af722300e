#include "CliStatus.h"

#include <unistd.h>

namespace corvane
{

CliStatus::CliStatus(QTextStream &err) : m_err(err), m_terminal(isatty(STDERR_FILENO) != 0)
{
    m_clock.start();
}

CliStatus::~CliStatus()
{
    clear();
}

void CliStatus::show(const QString &text)
{
    if (m_drawn && m_clock.elapsed() < 200)
        return;
    showNow(text);
}

void CliStatus::showNow(const QString &text)
{
    if (!m_terminal)
        return;
    m_clock.restart();
    m_err << '\r' << text.left(79).leftJustified(79) << Qt::flush;
    m_drawn = true;
}

void CliStatus::clear()
{
    if (m_drawn)
        m_err << '\r' << QString(79, u' ') << '\r' << Qt::flush;
    m_drawn = false;
}

} // namespace corvane
