#pragma once

#include <QString>

namespace corvane
{

// Where a registration/flight pair heard for the first time is reported:
// the file "new" during a log import, the new-aircraft list while live.
class NewPairsSink
{
public:
    virtual ~NewPairsSink() = default;
    virtual void newPair(const QString &registration, const QString &flight) = 0;
};

} // namespace corvane
