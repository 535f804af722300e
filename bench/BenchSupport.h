#pragma once

#include "store/MessageRecord.h"

#include <QByteArray>
#include <QString>
#include <functional>

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
    // The same message as dumpvdl2 writes it: one JSON object, no line end.
    QByteArray dumpvdl2Object(qint64 i) const;

private:
    static quint32 mix(quint64 x);
};

// Seconds an action takes.
double secondsOf(const std::function<void()> &action);
// The machine's load averages over 1, 5 and 15 minutes, as uptime prints them.
QString loadAverage();
double peakMemoryMB();
double childrenPeakMemoryMB();
// Writes a SkySpy log of count messages of Traffic; false when it cannot.
bool writeSkySpyLog(const QString &path, qint64 count);
// Writes a dumpvdl2 JSON log of the same messages, one object a line.
bool writeDumpvdl2Log(const QString &path, qint64 count);

} // namespace corvane::bench
