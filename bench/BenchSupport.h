#pragma once

#include "store/MessageRecord.h"

#include <QByteArray>
#include <QString>

namespace corvane::bench
{

// Synthetic traffic: a fixed number of registrations and pairs, texts of
// about 120 characters, times one second apart.
class Traffic
{
public:
    static constexpr int kRegistrations = 5000;
    static constexpr int kPairs = 20000;

    MessageRecord message(qint64 i) const;
    QByteArray skySpyBlock(qint64 i) const;

private:
    static quint32 mix(quint64 x);
};

double peakMemoryMB();
double childrenPeakMemoryMB();

} // namespace corvane::bench
