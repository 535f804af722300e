#pragma once

#include "store/NewPairsSink.h"

#include <QStringList>

namespace corvane
{

// The live new-pairs sink: registrations newest first, with the count of
// pairs heard for the first time since the link started.
class NewPairsList : public NewPairsSink
{
public:
    void newPair(const QString &registration, const QString &flight) override;
    void clear();

    double count() const { return m_count; }
    const QStringList &registrations() const { return m_registrations; }
    // The list as the window shows it: each registration and a line break, newest first.
    QString text() const;
    QString frameCaption() const;

private:
    double m_count = 0;
    QStringList m_registrations;
};

} // namespace corvane
