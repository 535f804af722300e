#include "LocalClock.h"

#include <QDateTime>

namespace corvane
{

namespace
{
// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(qint64 z, int &y, int &m, int &d)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
}
} // namespace

MessageTime LocalClock::localTime(qint64 unixSeconds)
{
    const qint64 span = unixSeconds >= 0 ? unixSeconds / kSpan : (unixSeconds + 1) / kSpan - 1;
    if (span != m_span) {
        m_span = span;
        m_offset = QDateTime::fromSecsSinceEpoch(span * kSpan).offsetFromUtc();
    }
    const qint64 local = unixSeconds + m_offset;
    const qint64 days = local >= 0 ? local / 86400 : (local + 1) / 86400 - 1;
    const qint64 secs = local - days * 86400;
    MessageTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = int(secs / 3600);
    t.minute = int(secs / 60 % 60);
    t.second = int(secs % 60);
    return t;
}

} // namespace corvane
