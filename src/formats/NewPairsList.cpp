#include "NewPairsList.h"

namespace corvane
{

void NewPairsList::newPair(const QString &registration, const QString &flight)
{
    Q_UNUSED(flight);
    m_count += 1;
    m_registrations.prepend(registration);
}

void NewPairsList::clear()
{
    m_count = 0;
    m_registrations.clear();
}

QString NewPairsList::text() const
{
    QString t;
    for (const QString &r : m_registrations)
        t += r + QStringLiteral("\r\n");
    return t;
}

QString NewPairsList::frameCaption() const
{
    return QStringLiteral("New (%1)").arg(m_count);
}

} // namespace corvane
